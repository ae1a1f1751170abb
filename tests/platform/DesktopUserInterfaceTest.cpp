// Without a display (QT_QPA_PLATFORM=offscreen): everything goes to the log and nothing blocks.
#include <gtest/gtest.h>

#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#ifndef _WIN32
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QThread>
#endif
#include <string>

#include "platform/desktop/DesktopUserInterface.h"
#include "tests/support/LogCapture.h"

namespace fm::desktop {
namespace {

#ifndef _WIN32
// A StatusNotifier watcher that has a host: Qt then hands balloons to the notification
// server. It answers on a connection and in a thread of its own.
class WatcherWithAHost : public QDBusVirtualObject {
  public:
    QString introspect(const QString&) const override {
        return QStringLiteral(
            "<interface name=\"org.kde.StatusNotifierWatcher\">"
            "<property name=\"IsStatusNotifierHostRegistered\" type=\"b\" access=\"read\"/></interface>");
    }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        return message.member() == QLatin1String("Get") &&
               connection.send(message.createReply(QVariant::fromValue(QDBusVariant(true))));
    }
};

TEST(DesktopUserInterface, ABalloonForTheNotificationServerShowsItsTextAsItIs) {
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address"});
    if (!bus.waitForReadyRead(5000)) GTEST_SKIP() << "no dbus-daemon";
    const QByteArray address = bus.readLine().trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    QThread thread;
    WatcherWithAHost watcher;
    watcher.moveToThread(&thread);
    thread.start();
    {
        QDBusConnection own = QDBusConnection::connectToBus(QString::fromLatin1(address), "watcher");
        ASSERT_TRUE(own.registerVirtualObject(QStringLiteral("/StatusNotifierWatcher"), &watcher));
        ASSERT_TRUE(own.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));
        EXPECT_EQ(noticeBody("Fajl C:\\RACUNI\\<b>&x.inp"),
                  QStringLiteral("Fajl C:\\RACUNI\\&lt;b&gt;&amp;x.inp"));
        own.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("watcher"));
    thread.quit();
    thread.wait();
    bus.kill();
    bus.waitForFinished();
}
#endif

TEST(DesktopUserInterface, NoticesAreCutToTheirLimits) {
    DesktopUserInterface ui;
    test::LogCapture log;
    const std::string title = std::string(63, 'T') + "cut";
    const std::string text = std::string(255, 'x') + "y";
    ui.PrikaziObavijest(title, text);
    EXPECT_TRUE(
        log.contains("[FMerilon obavijest] " + std::string(63, 'T') + ": " + std::string(255, 'x') + "\n"))
        << log.text();
    EXPECT_FALSE(log.contains("cut"));
}

TEST(DesktopUserInterface, ObavijestiLogsTheTextAloneWithItsLineBreaksShown) {
    DesktopUserInterface ui;
    test::LogCapture log;
    Obavijesti(ui, "Neispravan fajl C:\\RACUNI\\1.inp\r\nGreska:tekst");
    EXPECT_TRUE(log.contains("[FMerilon obavijest] Neispravan fajl C:\\RACUNI\\1.inp | Greska:tekst\n"))
        << log.text();
}

// A name can carry terminal commands: the log shows its control bytes, never sends them.
TEST(DesktopUserInterface, ControlBytesAreEscapedInTheLog) {
    DesktopUserInterface ui;
    test::LogCapture log;
    Obavijesti(ui, "Neispravan fajl /in/\x1b]2;x\x07\x1b[2J\t\x7f\xe8.inp\r\nGreska:x");
    EXPECT_TRUE(log.contains(
        "[FMerilon obavijest] Neispravan fajl /in/\\x1B]2;x\\x07\\x1B[2J\\x09\\x7F\xe8.inp | Greska:x\n"))
        << log.text();
    EXPECT_FALSE(log.contains("\x1b"));
}

TEST(DesktopUserInterface, BoxesAndTheStopQuestionGoToTheLogWithoutBlocking) {
    DesktopUserInterface ui;
    ui.setApplicationTitle("Kappa fiskalni uredjaji - FMerilon");
    test::LogCapture log;
    ui.showMessage("Neispravan IBFK!");
    ui.showError("'x' nije ispravan cijeli broj");
    EXPECT_FALSE(ui.askStopQuestion());
    EXPECT_TRUE(log.contains("[FMerilon poruka] Neispravan IBFK!\n"));
    EXPECT_TRUE(log.contains("[FMerilon greska] 'x' nije ispravan cijeli broj\n"));
    EXPECT_TRUE(log.contains("[FMerilon pitanje] Da li stvarno zelis da zaustavis FMerilon "));
}

TEST(DesktopUserInterface, APauseKeepsTheEventsGoing) {
    DesktopUserInterface ui;
    bool timerFired = false;
    QTimer::singleShot(5, [&] { timerFired = true; });
    ui.pause(200);
    EXPECT_TRUE(timerFired);
}

// The hint and look follow the activity, each look painted once; a markup-like name shows as text.
TEST(DesktopUserInterface, TheTrayIconFollowsTheActivity) {
    QPixmap plain(54, 54);
    plain.fill(Qt::darkBlue);
    QSystemTrayIcon icon{QIcon(plain)};
    const qint64 normal = icon.icon().cacheKey();
    DesktopUserInterface ui;
    ui.showActivity(Activity());  // no icon attached: nothing happens
    ui.attachTrayIcon(&icon);

    Activity activity;
    activity.doing = Activity::Doing::Waiting;
    activity.fileName = "/in/<img src=x>&.inp";
    activity.budgetMs = 9000;
    ui.showActivity(activity);
    const qint64 busy = icon.icon().cacheKey();
    EXPECT_NE(icon.icon().pixmap(54).toImage().pixel(37, 48), plain.toImage().pixel(37, 48));
#ifndef _WIN32
    EXPECT_NE(icon.toolTip().indexOf("posao 0 (&lt;img src=x&gt;&amp;.inp), 0 od 9 s"), -1)
        << icon.toolTip().toStdString();
#endif
    activity.waitedMs = 2500;
    ui.showActivity(activity);
    EXPECT_NE(icon.toolTip().indexOf("2 od 9 s"), -1);
    EXPECT_EQ(icon.icon().cacheKey(), busy);
    activity.partnerStalled = true;
    ui.showActivity(activity);
    EXPECT_NE(icon.icon().cacheKey(), busy);
    EXPECT_NE(icon.icon().cacheKey(), normal);
    ui.showActivity(Activity());
    EXPECT_EQ(icon.icon().cacheKey(), normal);
    EXPECT_EQ(icon.toolTip(), "FMerilon: spreman\nDanas: OK 0, No 0, Er 0");
}

}  // namespace
}  // namespace fm::desktop
