// The floor of the footprint figure: a tray icon and the embedded database attached,
// nothing else. Prints "spreman" once both are there and ends when its standard input
// does: the Firebird client takes SIGTERM for a shutdown of its own, which does not
// end the process.
// Usage: bench_footprint_floor DATABASE_PATH

#include <QApplication>
#include <QPixmap>
#include <QSocketNotifier>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSystemTrayIcon>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_footprint_floor DATABASE_PATH\n");
        return 2;
    }
    QPixmap picture(16, 16);
    picture.fill(Qt::darkGreen);
    QSystemTrayIcon icon{QIcon(picture)};
    icon.show();

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QIBASE"));
    db.setDatabaseName(QString::fromLocal8Bit(argv[1]));
    db.setUserName(QStringLiteral("OPKASA"));
    db.setPassword(QStringLiteral("lumbrico"));
    if (!db.open()) {
        std::fprintf(stderr, "bench_footprint_floor: %s\n", db.lastError().text().toLocal8Bit().constData());
        return 1;
    }
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, &QApplication::quit);
    std::printf("spreman\n");
    std::fflush(stdout);
    return app.exec();
}
