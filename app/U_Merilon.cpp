#include "app/U_Merilon.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QResizeEvent>
#include <QScreen>
#include <QSessionManager>
#include <QSystemTrayIcon>
#include <functional>
#include <stdexcept>

#include "app/JournalWindow.h"
#include "app/Startup.h"
#include "app/StopControl.h"
#include "commands/DirectoryPolling.h"
#include "config/Postavke.h"
#include "db/DM_db_source.h"
#include "platform/FileSystem.h"
#include "platform/desktop/DesktopUserInterface.h"
#include "platform/desktop/Display.h"
#include "platform/desktop/Log.h"
#include "platform/desktop/SingleInstance.h"

namespace fm {

namespace {

void fillWith(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

// Read as PNG, without every image plugin trying the file first; apart from the pixmap cache.
QPixmap pixmapOf(const QString& pngFile) {
    QImageReader reader(pngFile, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

}  // namespace

QIcon programIcon() { return QIcon(pixmapOf(QStringLiteral(":/FMerilon/FMerilon.png"))); }

TF_Merilon::TF_Merilon(ProcessState& state, Settings& settings, desktop::DesktopUserInterface& ui,
                       desktop::SingleInstance& instance, StopControl& stop)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      state_(state),
      settings_(settings),
      ui_(ui),
      instance_(instance),
      stop_(stop),
      activity_(ui),
      Panel1(new QLabel(QStringLiteral("FMERILON"), this)),
      Image1(new QLabel(this)),
      CoolTrayIcon1(new QSystemTrayIcon(programIcon(), this)),
      PopupMenu1(new QMenu(this)) {
    setObjectName(QStringLiteral("F_Merilon"));
    setWindowTitle(QStringLiteral("FMERILON"));
    resize(500, 366);
    fillWith(*this, QColor(128, 128, 255));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setFocusPolicy(Qt::StrongFocus);

    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setAlignment(Qt::AlignCenter);
    fillWith(*Panel1, QColor(166, 202, 240));

    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    showPicture(true);

    QAction* ZadnjiPoslovi1 = PopupMenu1->addAction(QStringLiteral("Zadnji poslovi"));
    connect(ZadnjiPoslovi1, &QAction::triggered, this, &TF_Merilon::ZadnjiPoslovi1Click);
    QAction* ZatvaranjeFMerilona1 = PopupMenu1->addAction(QStringLiteral("Zatvaranje FMerilona"));
    connect(ZatvaranjeFMerilona1, &QAction::triggered, this, &TF_Merilon::ZatvaranjeFMerilona1Click);

    CoolTrayIcon1->setObjectName(QStringLiteral("CoolTrayIcon1"));
    CoolTrayIcon1->setToolTip(QStringLiteral("FMerilon"));
    CoolTrayIcon1->setContextMenu(PopupMenu1);
    connect(CoolTrayIcon1, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick) CoolTrayIcon1DblClick();
            });
    if (desktop::hasDisplay()) CoolTrayIcon1->show();  // there is never a tray without a display
    ui_.attachTrayIcon(CoolTrayIcon1);

    mintimer.setInterval(2000);
    connect(&mintimer, &QTimer::timeout, this, &TF_Merilon::mintimerTimer);
    databaseRetry_.setInterval(kDatabaseRetryMs);
    connect(&databaseRetry_, &QTimer::timeout, this, &TF_Merilon::databaseRetryTimer);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &TF_Merilon::sessionEndQuery);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    normalArea_ = geometry();
    layOutChildren();
    FormCreate();
}

TF_Merilon::~TF_Merilon() = default;

void TF_Merilon::attachDataModule(Tdm_db& dm_db, DirectoryPoller& poller) {
    dm_db_ = &dm_db;
    poller_ = &poller;
}

void TF_Merilon::attachJournal(const std::string& journalPath) { journalPath_ = journalPath; }

// Opened once, then brought to the front with its newest jobs read again.
void TF_Merilon::ZadnjiPoslovi1Click() {
    if (journalPath_.empty()) return;
    if (!journalWindow_)
        journalWindow_ = new JournalWindow(journalPath_, this);
    else
        journalWindow_->refresh();
    journalWindow_->showNormal();
    journalWindow_->raise();
    journalWindow_->activateWindow();
}

void TF_Merilon::FormCreate() {
    if (!readSettingsAtCreate(settings_, state_, ui_)) return;
    instance_.installHandOverHook();
    connect(&instance_, &desktop::SingleInstance::handOverRequested, this, &TF_Merilon::NovaProceduraProzora);
}

void TF_Merilon::FormShow() {
    state_.BrojacObrade = 0;
    if (!fiscalRegisterNumberValid(state_.postavke.F_BROJ_KASE)) {
        ui_.showMessage("Neispravan IBFK!");
        stop_.requestStop(kConfigurationExitCode);
    }
    if (dm_db_ && poller_) {
        try {
            const DatabaseAtStart database = openDatabaseAndPolling(
                *dm_db_, settings_, state_, ui_, activity_, files::executableDirectory(), timer1Work());
            if (database == DatabaseAtStart::Retrying) databaseRetry_.start();
            watchInputDirectory();
        } catch (const std::invalid_argument& e) {
            ui_.showError(e.what());
            stop_.requestStop(kConfigurationExitCode);
        }
    }
    mintimer.start();
}

std::function<void()> TF_Merilon::timer1Work() {
    return [this] { stop_.runScan([this] { poller_->Timer1Timer(); }); };
}

void TF_Merilon::watchInputDirectory() {
    if (!dm_db_->timer1Enabled()) return;
    poller_->watchInputDirectory([this](const std::function<void()>& scan) { stop_.runScan(scan); });
}

void TF_Merilon::databaseRetryTimer() {
    try {
        if (!openDatabaseAgain(*dm_db_, settings_, state_, ui_, activity_, timer1Work())) return;
        databaseRetry_.stop();
        desktop::logLine("dogadjaj", "baza otvorena, obrada pocinje");
        watchInputDirectory();
    } catch (const std::invalid_argument& e) {
        databaseRetry_.stop();
        ui_.showError(e.what());
        stop_.requestStop(kConfigurationExitCode);
    }
}

void TF_Merilon::mintimerTimer() {
    mintimer.stop();
    if (desktop::hasSystemTray())
        hide();
    else
        showMinimized();
}

// The size is set as well: without a window manager a maximised window keeps its own.
void TF_Merilon::CoolTrayIcon1DblClick() {
    if (const QScreen* shownOn = screen()) setGeometry(shownOn->availableGeometry());
    showMaximized();
    raise();
    activateWindow();
}

void TF_Merilon::ZatvaranjeFMerilona1Click() {
    if (!ui_.askStopQuestion()) return;
    closeAgreed_ = true;
    stop_.requestStop(0);
}

void TF_Merilon::NovaProceduraProzora() {
    desktop::logLine("dogadjaj", "pokrenuta je druga kopija programa: vracam se u prvi plan");
    showNormal();
    setGeometry(normalArea_);
    raise();
    activateWindow();
}

// The title strip across the top, the picture in the rest.
void TF_Merilon::layOutChildren() {
    Panel1->setGeometry(0, 0, width(), 17);
    Image1->setGeometry(0, 17, width(), height() - 17);
}

void TF_Merilon::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOutChildren();
}

void TF_Merilon::showPicture(bool shown) {
    if (shown != Image1->pixmap().isNull()) return;
    Image1->setPixmap(shown ? pixmapOf(QStringLiteral(":/FMerilon/Image1.png")) : QPixmap());
}

void TF_Merilon::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    showPicture(!isMinimized());
    if (shown_) return;
    shown_ = true;
    FormShow();
}

void TF_Merilon::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    showPicture(false);
}

// FormKeyPress: Enter, Escape, letters... ask to close; keys without a character do not.
void TF_Merilon::keyPressEvent(QKeyEvent* event) {
    if (event->text().isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    close();
}

// FormCloseQuery.
void TF_Merilon::closeEvent(QCloseEvent* event) {
    if (!closeAgreed_ && !ui_.askStopQuestion()) {
        event->ignore();
        return;
    }
    closeAgreed_ = true;
    event->accept();
    stop_.requestStop(0);
}

// Minimise to tray: a minimised window leaves only the icon.
void TF_Merilon::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    showPicture(isVisible() && !isMinimized());
    if (isMinimized() && desktop::hasSystemTray()) QTimer::singleShot(0, this, &QWidget::hide);
}

// The session is ending: No refuses it. Not on Windows, where StopSignals agrees at once.
void TF_Merilon::sessionEndQuery(QSessionManager& manager) {
    if (closeAgreed_ || !manager.allowsInteraction()) return;
    if (ui_.askStopQuestion()) {
        closeAgreed_ = true;
        manager.release();
    } else {
        manager.cancel();
    }
}

}  // namespace fm
