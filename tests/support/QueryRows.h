#pragma once

#include <string>
#include <vector>

namespace fm {
class Tdm_db;
}

namespace fm::test {

// The named columns of every row of a query, run on the data module's scratch query
// up4, each row as its values joined by the separator. A query that fails is a test
// failure and gives no rows.
std::vector<std::string> rows(Tdm_db& dm, const std::string& sql, const std::vector<std::string>& columns,
                              const std::string& separator = "|");

}  // namespace fm::test
