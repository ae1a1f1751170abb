// fmerilon-check and the processor on the same bytes: the seeds of the fuzz corpus,
// the samples, hostile files and mutations of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "tests/fuzz/Agreement.h"
#include "tests/support/TempDir.h"

namespace fm {
namespace {

std::vector<std::string> seeds() {
    std::vector<std::string> files = {
        "",
        "\r\n",
        "Z,P1,_,______,__;",
        "Z,P1,_,______,OK;\r\n\r\n",
        "V,P1,_,______,__;+a\r\n\r\n",
        std::string("U,P1,_,______,__;Kafa;3;0;;1;2;7\r\nU,P1,_,______,__;Ka\0fa;3;0;;1;2;8\r\n", 66),
        "I,P1,_,______,__;2147483600;5\r\n\r\n",
        "K,P1,_,______,__;24x\r\nT,P1,_,______,__;\r\n",
        "S,P1,_,______,__;a;1;1;;1;2;;-1\r\nT,P1,_,______,__;+-5;1\r\n",
        "Q,P1,_,______,__;\r\n\r\n"};
    for (const char* directory :
         {FMERILON_SOURCE_DIR "/samples", FMERILON_SOURCE_DIR "/tests/fuzz/corpus/command_files"}) {
        for (const auto& entry : std::filesystem::directory_iterator(directory)) {
            if (entry.path().filename().string()[0] != '.')
                files.push_back(agreement::readAll(entry.path().string()));
        }
    }
    return files;
}

TEST(CheckerAgreement, TheCheckerJudgesEveryFileAsTheProcessorDoes) {
    const std::vector<std::string> files = seeds();
    ASSERT_GT(files.size(), 25u);
    const auto refused = [](const std::string& bytes) {
        return !check::checkBytes("r.inp", bytes, Postavke(), 7).refusals.empty();
    };
    ASSERT_EQ(std::count_if(files.begin(), files.end(), refused), 3);  // texts too long, an article twice
    std::vector<std::string> cases = files;
    std::mt19937 random(12);
    const std::string replacements = "x;,-+. _\r\n0";
    for (int i = 0; i < 1000; ++i) {
        std::string bytes = files[random() % files.size()];
        if (bytes.empty()) continue;
        bytes[random() % bytes.size()] = replacements[random() % replacements.size()];
        cases.push_back(bytes);
    }
    for (const std::string& bytes : cases) {
        test::TempDir dir;
        EXPECT_EQ(agreement::disagreement(dir.path(), bytes), "") << bytes;
    }
}

}  // namespace
}  // namespace fm
