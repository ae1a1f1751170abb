// Number text of the whole process on a machine whose regional settings write "1,5".
#include <gtest/gtest.h>

#include <QLocale>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "platform/desktop/ProcessFormats.h"
#include "tests/support/CommaLocale.h"
#include "tests/support/TempDir.h"

namespace fm::desktop {
namespace {

std::string printed(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

class BosnianMachine : public ::testing::Test {
  protected:
    // What the application object does with LANG=bs_BA.UTF-8: the C locale from the
    // environment, Qt's default locale from the system.
    void SetUp() override {
        if (!test::enterCommaLocale(locales.path()) || printed(1.5) != "1,5")
            GTEST_SKIP() << "no locale that writes 1,5 here";
        QLocale::setDefault(QLocale(QLocale::Bosnian, QLocale::BosniaAndHerzegowina));
    }
    void TearDown() override {
        test::leaveCommaLocale();
        QLocale::setDefault(QLocale::c());
    }

    test::TempDir locales;
};

TEST_F(BosnianMachine, NumbersAreWrittenAndReadWithADecimalPoint) {
    setProcessFormats();
    EXPECT_EQ(printed(1.5), "1.5");
    EXPECT_EQ(std::strtod("2.25", nullptr), 2.25);
    std::ostringstream stream;
    stream << 1234.5;
    EXPECT_EQ(stream.str(), "1234.5");
    EXPECT_EQ(QLocale().decimalPoint(), ".");
    EXPECT_EQ(QLocale().groupSeparator(), ",");
    EXPECT_EQ(QLocale().toString(1.5, 'f', 1), "1.5");
}

}  // namespace
}  // namespace fm::desktop
