#pragma once

#include <QString>
#include <QVariant>
#include <string>

#include "db/SqlLayer.h"

// How single-byte texts cross over to a Qt SQL driver and how its values come back.
namespace fm::sql {

QString toQt(const std::string& bytes, TextCoding coding);
QString latin1(const std::string& bytes);
std::string fromQt(const QString& text, TextCoding coding);

// A value read from the driver; text blobs in UTF-8 (Firebird's) are decoded when their
// characters fit one byte each.
ResultSet::Value toValue(const QVariant& v, TextCoding coding, bool textBlobsInUtf8);

}  // namespace fm::sql
