#include "tools/partner-emulator/Journal.h"

#include <stdexcept>

namespace fm::partner {

Journal::Journal(const std::string& path) : out_(path, std::ios::binary | std::ios::app) {
    if (!out_) throw std::runtime_error("Ne moze se otvoriti dnevnik " + path);
}

void Journal::print(const std::string& line) {
    out_ << line << '\n';
    out_.flush();
}

}  // namespace fm::partner
