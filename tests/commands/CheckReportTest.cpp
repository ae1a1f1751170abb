// fmerilon-check's reports: JSON that parses whatever bytes a file holds, the
// program's own message for an invalid file.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "platform/FileSystem.h"
#include "tools/fmerilon-check/FileCheck.h"

namespace fm::check {
namespace {

Postavke settings() {
    Postavke p;
    p.TARVOLOCALDIR = "/var/racuni";  // the separator added as the program adds it
    p.TARVOBRZINASTAMPANJASTAVKI = 300;
    p.TARVOVREMESTAMPANJAZAGLAVLJA = 1500;
    p.TARVOVREMESTAMPANJAZAVRSETKA = 2000;
    p.TARVODBDRIVERAUTOMATICTIMER = 3000;
    p.FID_RACUNA = 1;
    return p;
}

QJsonObject parsed(const std::string& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << json;
    return document.object();
}

// A byte order mark before the header, as .NET tills and Notepad write it, is no part of it.
TEST(CheckReport, AByteOrderMarkBeforeTheHeaderIsSkipped) {
    const Postavke p = settings();
    const std::string bytes = "S,P1,_,______,__;Hljeb;0.90;1;;1;2;;1002\r\nT,P1,_,______,__;\r\n";
    const FileCheck withMark = checkBytes("/tmp/r.inp", "\xEF\xBB\xBF" + bytes, p, 5);
    EXPECT_TRUE(withMark.passes());
    EXPECT_EQ(textReport(withMark, p), textReport(checkBytes("/tmp/r.inp", bytes, p, 5), p));
}

TEST(CheckReport, JsonHoldsAnyBytesOfTheFileAsLatin1Text) {
    const std::string name = "O\"Ne\\il \x01\x7F\xC8\xE8";
    const std::string bytes = "S,P1,_,______,__;" + name + ";1.5;2;;1;2;;7\r\nT,P1,_,______,__;\r\n";
    const Postavke p = settings();
    const FileCheck check = checkBytes("/tmp/r.inp", bytes, p, 5);
    const QJsonObject report = parsed(jsonReport(check, p));
    EXPECT_EQ(report["verdict"].toString(), "valid");
    EXPECT_EQ(report["budgetMs"].toInt(), 2 * 900 + 3500 + 3500 + 3000);
    const QJsonObject nameField = report["records"].toArray()[0].toObject()["fields"].toArray()[1].toObject();
    EXPECT_EQ(nameField["meaning"].toString(), "naziv artikla");
    EXPECT_EQ(nameField["text"].toString(), QString::fromLatin1(name.data(), qsizetype(name.size())));
    EXPECT_EQ(report["rows"].toArray().size(), 3);
}

// A forged name or field can neither act on the terminal nor start a line of the report.
TEST(CheckReport, TheTextShowsControlBytesOfNamesAndFieldsEscaped) {
    const Postavke p = settings();
    const std::string bytes = "S,P1,_,______,__;Hljeb\x1b[2J;1.5;2;;1;2;;7\r\nT,P1,_,______,__;\r\n";
    const std::string text = textReport(checkBytes("in/\x1b]0;x\x07\n.inp", bytes, p, 5), p);
    EXPECT_EQ(text.find_first_of("\x1b\x07"), std::string::npos) << text;
    EXPECT_EQ(text.find("in/\\x1B]0;x\\x07 | .inp: ispravan\n"), 0u) << text;
    EXPECT_NE(text.find("): 'Hljeb\\x1B[2J'\n"), std::string::npos) << text;
}

TEST(CheckReport, AnInvalidFileGivesTheProgramsMessageWithLineAndField) {
    const Postavke p = settings();
    const FileCheck check = checkBytes("in/bad.inp", "I,P1,_,______,__;1;50,00\r\n\r\n", p, 5);
    EXPECT_FALSE(check.passes());
    const std::string message =
        "Neispravan fajl " + files::withClosingSeparator("/var/racuni") +
        "bad.inp\r\nGreska:linija 1, polje 6 (iznos): '50,00' nije ispravan broj";
    EXPECT_EQ(check.programMessage(), message);
    EXPECT_EQ(parsed(jsonReport(check, p))["message"].toString().toStdString(), message);
    EXPECT_NE(textReport(check, p).find("    Greska:linija 1, polje 6 (iznos): '50,00' nije ispravan broj\n"),
              std::string::npos);

    const FileCheck notYet = checkBytes("in/z.inp", "Z,P1,_,______,__;", p, 5);
    EXPECT_FALSE(notYet.passes());
    EXPECT_EQ(parsed(jsonReport(notYet, p))["verdict"].toString(), "not-yet");
}

}  // namespace
}  // namespace fm::check
