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
