#pragma once

#include <QString>
#include <QVariant>
#include <string>

// How single-byte texts cross over to a Qt SQL driver and how its values come back.
namespace fm::sql {

// How texts cross over to the driver, one character a byte: as Latin-1, or as KOI8-R for
// MariaDB through its ODBC connector.
enum class TextCoding { Latin1, Koi8r };

// One value of a result row.
struct Value {
    enum class Kind { Null, Real, Integer, Text } kind = Kind::Null;
    double real = 0;
    long long integer = 0;
    std::string text;
};

QString toQt(const std::string& bytes, TextCoding coding);
QString latin1(const std::string& bytes);
std::string fromQt(const QString& text, TextCoding coding);

// A value read from the driver; text blobs in UTF-8 (Firebird's) are decoded when their
// characters fit one byte each.
Value toValue(const QVariant& v, TextCoding coding, bool textBlobsInUtf8);

}  // namespace fm::sql
