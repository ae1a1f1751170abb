#include "platform/desktop/ProcessFormats.h"

#include <QLocale>
#include <clocale>
#include <locale>

namespace fm::desktop {

void setProcessFormats() {
    QLocale::setDefault(QLocale::c());
    std::setlocale(LC_ALL, "C");
    std::locale::global(std::locale::classic());
}

}  // namespace fm::desktop
