#include "platform/desktop/Log.h"

#include <QDateTime>
#include <iostream>
#include <string>

namespace fm::desktop {

void logLine(std::string_view kind, std::string_view text) {
    std::string line =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
    line += " [FMerilon ";
    line += kind;
    line += "] ";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            line += " | ";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            // A control byte of a file name or field would act on the terminal or log viewer.
            static const char hex[] = "0123456789ABCDEF";
            line += "\\x";
            line += hex[static_cast<unsigned char>(c) >> 4];
            line += hex[c & 0xF];
        } else {
            line += c;
        }
    }
    line += '\n';
    std::cerr << line << std::flush;
}

}  // namespace fm::desktop
