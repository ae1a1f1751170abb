#include "platform/desktop/DesktopUserInterface.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTextDocument>
#include <QTimer>
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
#include <QDBusConnection>
#include <QDBusInterface>
#endif

#include "platform/desktop/Display.h"
#include "platform/desktop/Log.h"

namespace fm::desktop {

namespace {

QString decode(const std::string& text) { return QString::fromLocal8Bit(text); }

// Boxes break lines at "\n"; the program's texts break them with "\r\n".
QString boxText(const std::string& text) {
    QString result = decode(text);
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return result;
}

// Qt's own tray tooltip takes a text that looks like markup for markup; a file name such
// as "<b>.inp" is shown as it is. The Windows tooltip shows every text as it is.
QString tooltipText(const std::string& hint) {
    const QString text = decode(hint);
#ifdef _WIN32
    return text;
#else
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text;
#endif
}

}  // namespace

// Qt hands balloons to the notification server when a StatusNotifier host is registered
// (its D-Bus tray), and that server reads the body as markup. Qt's own balloon shows
// plain text.
bool noticesReadAsMarkup() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    static const bool dbusTray = [] {
        QDBusInterface watcher(
            QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("/StatusNotifierWatcher"),
            QStringLiteral("org.kde.StatusNotifierWatcher"), QDBusConnection::sessionBus());
        return watcher.isValid() && watcher.property("IsStatusNotifierHostRegistered").toBool();
    }();
    return dbusTray;
#else
    return false;
#endif
}

QString noticeBody(const std::string& text) {
    const QString body = decode(text);
    return noticesReadAsMarkup() ? body.toHtmlEscaped() : body;
}

void DesktopUserInterface::attachTrayIcon(QSystemTrayIcon* icon) {
    trayIcon_ = icon;
    looks_ = TrayLooks(icon ? icon->icon() : QIcon());
    shownHint_.clear();
    shownLook_ = IconLook::Normal;
}

void DesktopUserInterface::showActivity(const Activity& activity) {
    if (!trayIcon_) return;
    std::string hint = activityHint(activity);
    if (hint != shownHint_) {
        trayIcon_->setToolTip(tooltipText(hint));
        shownHint_ = std::move(hint);
    }
    const IconLook look = iconLook(activity);
    if (look != shownLook_) {
        trayIcon_->setIcon(looks_.icon(look));
        shownLook_ = look;
    }
}

bool DesktopUserInterface::balloonsShown() const {
    return trayIcon_ && trayIcon_->isVisible() && hasSystemTray() && QSystemTrayIcon::supportsMessages();
}

void DesktopUserInterface::PrikaziObavijest(const std::string& title, const std::string& text) {
    const std::string shownTitle = title.substr(0, kTitleLimit);
    const std::string shownText = text.substr(0, kTextLimit);
    logLine("obavijest", shownTitle.empty() ? shownText : shownTitle + ": " + shownText);
    if (balloonsShown()) {
        trayIcon_->showMessage(decode(shownTitle), noticeBody(shownText), QSystemTrayIcon::Information,
                               kNoticeMilliseconds);
    }
}

void DesktopUserInterface::processPendingEvents() { QCoreApplication::processEvents(); }

void DesktopUserInterface::showMessage(const std::string& text) {
    logLine("poruka", text);
    if (!hasSystemTray()) return;
    QMessageBox box(QMessageBox::NoIcon, decode(title_), boxText(text), QMessageBox::Ok);
    box.exec();
}

void DesktopUserInterface::showError(const std::string& text) {
    logLine("greska", text);
    if (!hasSystemTray()) return;
    QMessageBox box(QMessageBox::Critical, decode(title_), boxText(text), QMessageBox::Ok);
    box.exec();
}

void DesktopUserInterface::pause(int milliseconds) {
    QEventLoop wait;
    QTimer::singleShot(milliseconds, &wait, &QEventLoop::quit);
    wait.exec();
}

bool DesktopUserInterface::askStopQuestion() {
    static const char* const question = "Da li stvarno zelis da zaustavis FMerilon ";
    if (!hasDisplay()) {
        logLine("pitanje", std::string(question) + "- bez ekrana nema odgovora: Ne");
        return false;
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), QString::fromLatin1(question),
                    QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    const bool yes = box.exec() == QMessageBox::Yes;
    logLine("pitanje", std::string(question) + (yes ? "- Da" : "- Ne"));
    return yes;
}

}  // namespace fm::desktop
