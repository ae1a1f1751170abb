#include "tests/support/QueryRows.h"

#include <gtest/gtest.h>

#include "db/DM_db_source.h"

namespace fm::test {

std::vector<std::string> rows(Tdm_db& dm, const std::string& sql, const std::vector<std::string>& columns,
                              const std::string& separator) {
    std::vector<std::string> values;
    if (!dm.sqlopen4(sql)) {
        ADD_FAILURE() << sql << ": " << dm.ZadnjaGreska();
        return values;
    }
    for (ScratchQuery& q = dm.up4(); q.hasRow(); q.next()) {
        std::string row;
        for (std::size_t i = 0; i < columns.size(); ++i) row += (i ? separator : "") + q.text(columns[i]);
        values.push_back(row);
    }
    return values;
}

}  // namespace fm::test
