#pragma once

#include <QSqlDatabase>
#include <string>

namespace fm::sql {

// Empty when Qt has the SQL driver; otherwise a notice naming it and, on Linux for the
// drivers Debian packages, the package that brings it.
inline std::string missingDriverNotice(const std::string& qtDriver) {
    if (QSqlDatabase::isDriverAvailable(QString::fromLatin1(qtDriver.c_str()))) return {};
    std::string notice = "Qt SQL drajver " + qtDriver + " nije instaliran";
#ifdef __linux__
    struct Package {
        const char* driver;
        const char* package;
    };
    static constexpr Package packages[] = {{"QSQLITE", "libqt6sql6-sqlite"},
                                           {"QIBASE", "libqt6sql6-ibase"},
                                           {"QODBC", "libqt6sql6-odbc"},
                                           {"QMYSQL", "libqt6sql6-mysql"},
                                           {"QPSQL", "libqt6sql6-psql"}};
    for (const Package& p : packages)
        if (qtDriver == p.driver) notice += std::string(" (Debian paket ") + p.package + ")";
#endif
    return notice;
}

}  // namespace fm::sql
