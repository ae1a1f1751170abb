#include "db/SqlFailure.h"

#include <QRegularExpression>
#include <QSqlError>
#include <set>

namespace fm::sql {

namespace {

QString codeOf(const QSqlError& error) {
    return error.nativeErrorCode().section(QLatin1Char(';'), 0, 0).trimmed();
}

}  // namespace

// Firebird reports SQLCODE -803 for a duplicate key and -902 for a connection that is gone.
Failure firebirdFailure(const QSqlError& error) {
    const QString code = codeOf(error);
    if (code == QLatin1String("-803")) return Failure::KeyViolation;
    if (code == QLatin1String("-902")) return Failure::ConnectionLost;
    return Failure::Other;
}

// MariaDB: duplicate entries, and a server shutting down, a connection killed, refused,
// gone away, lost during a query or dropped for inactivity.
Failure mariaDbFailure(const QSqlError& error) {
    static const std::set<int> keyViolations = {1062, 1586};
    static const std::set<int> connectionLost = {1053, 1927, 2002, 2003, 2006, 2013, 2055, 4031};
    const int code = codeOf(error).toInt();
    if (keyViolations.contains(code)) return Failure::KeyViolation;
    return connectionLost.contains(code) ? Failure::ConnectionLost : Failure::Other;
}

Failure driverFailure(const QSqlError& error) {
    return error.type() == QSqlError::ConnectionError ? Failure::ConnectionLost : Failure::Other;
}

bool isFirebirdMissingTable(const QSqlError& error, const QString& text) {
    return error.nativeErrorCode() == QLatin1String("-204") && text.contains(QLatin1String("Table unknown"));
}

bool isMissingTableByText(const QSqlError&, const QString& text) {
    static const QRegularExpression mariaDb(QStringLiteral("Table '[^']*' doesn't exist"));
    return text.contains(mariaDb);
}

}  // namespace fm::sql
