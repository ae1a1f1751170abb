#include "db/FirebirdClient.h"

#include <QByteArray>
#include <QDir>

#include "platform/FileSystem.h"

namespace fm {

void prepareFirebirdClient() {
    if (qEnvironmentVariableIsSet("FIREBIRD")) return;
    const QString dir = QString::fromLocal8Bit(files::executableDirectory()) + QStringLiteral("firebird");
    if (QDir(dir).exists(QStringLiteral("firebird.conf")))
        qputenv("FIREBIRD", QDir::toNativeSeparators(dir).toLocal8Bit());
}

}  // namespace fm
