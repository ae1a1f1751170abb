// Arbitrary bytes as a command file: fmerilon-check's verdict equals the processor's.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "tests/fuzz/Agreement.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path base =
        std::filesystem::temp_directory_path() / ("fmerilon-agreement-" + std::to_string(::getpid()));
    static unsigned long run = 0;
    const std::filesystem::path directory = base / std::to_string(++run);
    std::filesystem::create_directories(directory);
    const std::string differs = fm::agreement::disagreement(
        directory.string(), std::string_view(reinterpret_cast<const char*>(data), size));
    if (!differs.empty()) std::fprintf(stderr, "%s\n", differs.c_str());
    FUZZ_CHECK(differs.empty());
    std::filesystem::remove_all(directory);
    return 0;
}
