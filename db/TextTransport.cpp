#include "db/TextTransport.h"

#include <QDateTime>
#include <QStringDecoder>
#include <algorithm>
#include <string_view>

namespace fm::sql {

namespace {

// The MariaDB ODBC connector on Linux takes any UTF-16 unit whose low byte is 0xD8 to 0xDB
// for the head of a surrogate pair: statements holding such a unit are measured too long
// and read past their end (failing at random or carrying garbage). So statements travel
// as KOI8-R, whose 128 upper characters all avoid those units: the connector's character
// set is KOI8-R and the session takes the bytes it receives for latin1, the columns' own.
// Below: KOI8-R from 0x80 on.
constexpr std::u16string_view koi8rUpperHalf =
    u"─│┌┐└┘├┤┬┴┼▀▄█▌▐░▒▓⌠■∙√≈≤≥\u00A0⌡°²·÷═║╒ё╓╔╕╖╗╘╙╚╛╜╝╞╟╠╡Ё╢╣╤╥╦╧╨"
    u"╩╪╫╬©юабцдефгхийклмнопярстужвьызшэщчъЮАБЦДЕФГХИЙКЛМНОПЯРСТУЖВЬЫЗШЭЩЧЪ";
static_assert(koi8rUpperHalf.size() == 128);

}  // namespace

QString toQt(const std::string& bytes, TextCoding coding) {
    if (coding == TextCoding::Latin1) return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    QString result(qsizetype(bytes.size()), Qt::Uninitialized);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        result[qsizetype(i)] = c < 0x80 ? QChar(c) : QChar(koi8rUpperHalf[c - 0x80]);
    }
    return result;
}

QString latin1(const std::string& bytes) { return toQt(bytes, TextCoding::Latin1); }

std::string fromQt(const QString& text, TextCoding coding) {
    if (coding == TextCoding::Latin1) {
        const QByteArray bytes = text.toLatin1();
        return std::string(bytes.constData(), std::size_t(bytes.size()));
    }
    std::string result;
    result.reserve(std::size_t(text.size()));
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        char byte = '?';
        if (u < 0x80) {
            byte = char(u);
        } else {
            const auto found = std::find(koi8rUpperHalf.begin(), koi8rUpperHalf.end(), u);
            if (found != koi8rUpperHalf.end()) byte = char(0x80 + (found - koi8rUpperHalf.begin()));
        }
        result += byte;
    }
    return result;
}

Value toValue(const QVariant& v, TextCoding coding, bool textBlobsInUtf8) {
    Value value;
    if (v.isNull()) return value;
    switch (v.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
            value.kind = Value::Kind::Real;
            value.real = v.toDouble();
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Bool:
            value.kind = Value::Kind::Integer;
            value.integer = v.toLongLong();
            break;
        case QMetaType::QByteArray: {
            // Texts from MariaDB come as their bytes; Firebird hands text blobs over in the
            // connection's character set, UTF-8.
            const QByteArray bytes = v.toByteArray();
            value.kind = Value::Kind::Text;
            value.text.assign(bytes.constData(), std::size_t(bytes.size()));
            if (textBlobsInUtf8) {
                auto decoder = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
                const QString decoded = decoder.decode(bytes);
                const bool singleByte =
                    std::all_of(decoded.begin(), decoded.end(), [](QChar c) { return c.unicode() <= 0xFF; });
                if (!decoder.hasError() && singleByte) value.text = fromQt(decoded, coding);
            }
            break;
        }
        case QMetaType::QDateTime:
            value.kind = Value::Kind::Text;
            value.text = v.toDateTime().toString(QStringLiteral("dd-MM-yyyy HH:mm:ss")).toStdString();
            break;
        case QMetaType::QDate:
            value.kind = Value::Kind::Text;
            value.text = v.toDate().toString(QStringLiteral("dd-MM-yyyy")).toStdString();
            break;
        default:
            value.kind = Value::Kind::Text;
            value.text = fromQt(v.toString(), coding);
            break;
    }
    return value;
}

}  // namespace fm::sql
