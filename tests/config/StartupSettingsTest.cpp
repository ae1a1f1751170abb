#include <gtest/gtest.h>

#include "config/Settings.h"
#include "config/StartupSettings.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/SettingsFile.h"

namespace fm {
namespace {

class StartupSettingsTest : public ::testing::Test {
  protected:
    bool read(const std::string& bytes) { return readStartupSettings(file.write(bytes), postavke, ui); }
    test::SettingsFile file;
    test::RecordingUserInterface ui;
    Postavke postavke;
};

TEST_F(StartupSettingsTest, DefaultsOfEveryKey) {
    ASSERT_TRUE(read(""));
    EXPECT_TRUE(postavke.TARVOPROVJERIISTANCU);
    EXPECT_EQ(postavke.FID_OBJEKTA, 1);
    EXPECT_EQ(postavke.FID_RACUNA, 1);
    EXPECT_EQ(postavke.FID_KUPACA, 1);
    EXPECT_FALSE(postavke.TARVOOBRISI_FAJL);
    EXPECT_EQ(postavke.TARVOLOGGRESKE, "");
    EXPECT_EQ(postavke.K71B3, 1);
    EXPECT_EQ(postavke.F_BROJ_KASE, "");
    EXPECT_EQ(postavke.TARVOBRZINASTAMPANJASTAVKI, 300);
    EXPECT_EQ(postavke.TARVOVREMESTAMPANJAZAGLAVLJA, 1500);
    EXPECT_EQ(postavke.TARVOVREMESTAMPANJAZAVRSETKA, 2000);
    EXPECT_EQ(postavke.TARVOREZERVNOVRIJEME, 0);
    EXPECT_FALSE(postavke.TARVOSLOVNESIFRE);
    EXPECT_EQ(postavke.TARVOLOCALDIR, "C:\\RACUNI");
    EXPECT_EQ(postavke.TARVORACUN, "*.INP");
    EXPECT_EQ(postavke.TARVODBDRIVERAUTOMATICTIMER, 3000);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(StartupSettingsTest, YesIsExactlyDA) {
    ASSERT_TRUE(read("TARVOPROVJERIISTANCU=da\nTARVOOBRISI_FAJL=Da\nTARVOSLOVNESIFRE=DA\n"));
    EXPECT_FALSE(postavke.TARVOPROVJERIISTANCU);
    EXPECT_FALSE(postavke.TARVOOBRISI_FAJL);
    EXPECT_TRUE(postavke.TARVOSLOVNESIFRE);
}

TEST_F(StartupSettingsTest, RegisterNumberTrimmedFromFile) {
    ASSERT_TRUE(read("F_BROJ_KASE=  AB1234  \nFID_RACUNA=7\n"));
    EXPECT_EQ(postavke.F_BROJ_KASE, "AB1234");
    EXPECT_EQ(postavke.FID_RACUNA, 7);
}

TEST_F(StartupSettingsTest, NonNumericRegisterIdEndsTheGroupOnly) {
    ASSERT_TRUE(read("FID_OBJEKTA=4\nFID_OPERATERA=5\nFID_ROBA=x1\nFID_RACUNA=9\nK71B3=0\n"));
    EXPECT_EQ(postavke.FID_OBJEKTA, 4);
    EXPECT_EQ(postavke.FID_POR_STOPA, 1);
    EXPECT_EQ(postavke.FID_OPERATERA, 5);
    EXPECT_EQ(postavke.FID_ROBA, 0);
    EXPECT_EQ(postavke.FID_GRUPA_ROBA, 0);
    EXPECT_EQ(postavke.FID_RACUNA, 0);
    EXPECT_EQ(postavke.FID_KUPACA, 0);
    EXPECT_EQ(postavke.K71B3, 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].rfind("Greska u podesavanju settings.ini - ik dkase mora biti broj\r\n", 0), 0u);
    EXPECT_NE(ui.messages[0].find("x1"), std::string::npos);
}

TEST_F(StartupSettingsTest, LaterNonNumericValueStopsTheReading) {
    EXPECT_FALSE(read("TARVOLOGGRESKE=/log/\nTARVOBRZINASTAMPANJASTAVKI=brzo\nTARVOLOCALDIR=/in/\n"));
    EXPECT_EQ(postavke.TARVOLOGGRESKE, "/log/");
    EXPECT_EQ(postavke.K71B3, 1);
    EXPECT_EQ(postavke.TARVOBRZINASTAMPANJASTAVKI, 0);
    EXPECT_EQ(postavke.TARVOLOCALDIR, "");
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find("brzo"), std::string::npos);
}

}  // namespace
}  // namespace fm
