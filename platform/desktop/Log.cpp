#include "platform/desktop/Log.h"

#include <QDateTime>
#include <iostream>
#include <string>

#include "platform/Text.h"

namespace fm::desktop {

void logLine(std::string_view kind, std::string_view text) {
    std::string line =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
    line += " [FMerilon ";
    line += kind;
    line += "] ";
    // A control byte of a file name or field would act on the terminal or log viewer.
    line += text::printable(text);
    line += '\n';
    std::cerr << line << std::flush;
}

}  // namespace fm::desktop
