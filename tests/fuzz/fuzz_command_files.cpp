// Arbitrary bytes as a command file: lines, the header, every record kind's fields
// and the outcome marking. Only CommandFileError may come out of a malformed field.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "commands/CommandFile.h"
#include "commands/Marking.h"
#include "platform/Text.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using fm::CommandFileError;
using fm::CommandRecord;

template <typename Read>
void tolerant(Read read) {
    try {
        read();
    } catch (const CommandFileError&) {
    }
}

void decimal(CommandRecord& record) {
    tolerant([&] { FUZZ_CHECK(std::isfinite(record.nextDecimal())); });
}

void integer(CommandRecord& record) {
    tolerant([&] { record.nextInteger(); });
}

// The fields in the order and with the types the processing reads them.
void readFields(CommandRecord& record) {
    switch (record.letter()) {
        case 'V':
            record.nextText();
            break;
        case 'K':
        case 'O':
            integer(record);
            break;
        case 'S':
            record.nextText();
            decimal(record);
            decimal(record);
            record.skipField();
            integer(record);
            integer(record);
            record.skipField();
            record.nextText();
            break;
        case 'T':
            if (record.restAfterStatus().size() >= 3) {
                integer(record);
                decimal(record);
            }
            break;
        case 'U':
            record.nextText();
            decimal(record);
            decimal(record);
            record.skipField();
            integer(record);
            integer(record);
            integer(record);
            break;
        case 'I':
            integer(record);
            decimal(record);
            break;
        default:
            break;
    }
    // Fields past the end are empty, however often they are asked for.
    for (int extra = 0; extra < 3; ++extra) record.nextText();
}

bool isTrimmed(const std::string& line) { return fm::text::trim(line) == line; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = fm::parseCommandLines(bytes);

    const std::optional<std::size_t> header = fm::nextRecord(lines, 0);
    if (header) FUZZ_CHECK(*header < lines.size() && !lines[*header].empty());

    for (const std::string& line : lines) {
        FUZZ_CHECK(isTrimmed(line));
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
        if (line.empty()) continue;

        CommandRecord record(line);
        FUZZ_CHECK(record.letter() == line[0]);
        FUZZ_CHECK(record.statusOffset() <= line.size());
        FUZZ_CHECK(line.compare(std::min(record.statusOffset(), line.size()), record.status().size(),
                                record.status()) == 0);
        record.restAfterStatus();
        readFields(record);

        // A marked line is never waiting again, so no file is taken up twice.
        for (int outcome : {0, -2, -255}) {
            const std::string marked = fm::markedLine(line, outcome, 7, "AB1234");
            FUZZ_CHECK(isTrimmed(marked));
            FUZZ_CHECK(fm::text::trim(CommandRecord(marked).status()) != "__");
        }
    }
    return 0;
}
