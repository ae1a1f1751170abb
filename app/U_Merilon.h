#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

#include "app/ActivityPresenter.h"

class QIcon;
class QLabel;
class QMenu;
class QSessionManager;
class QSystemTrayIcon;

namespace fm {

struct ProcessState;
class Settings;
class StopControl;
class Tdm_db;
class DirectoryPoller;
class JournalWindow;

namespace desktop {
class DesktopUserInterface;
class SingleInstance;
}  // namespace desktop

// The program's icon, for its windows and the tray.
QIcon programIcon();

// The main window F_Merilon: a title strip and a picture, shown for two seconds at
// start and then living as the tray icon. Any key that produces a character, a close
// request and the session's end (except on Windows) ask the stop question.
class TF_Merilon : public QWidget {
    Q_OBJECT
  public:
    TF_Merilon(ProcessState& state, Settings& settings, desktop::DesktopUserInterface& ui,
               desktop::SingleInstance& instance, StopControl& stop);
    ~TF_Merilon() override;

    // The data module and its poller, created after the window; FormShow uses them.
    void attachDataModule(Tdm_db& dm_db, DirectoryPoller& poller);
    // The job journal that the menu item "Zadnji poslovi" shows.
    void attachJournal(const std::string& journalPath);
    // What the program is doing, as the tray icon shows it.
    ActivityPresenter& activity() { return activity_; }

    // Exit code when start-up finds the configuration unusable: an unreadable settings
    // file, a wrong IBFK, a polling interval that is not a number.
    static constexpr int kConfigurationExitCode = 2;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void FormCreate();
    void FormShow();
    std::function<void()> timer1Work();  // one scan, which a stop waits for
    // Polling has started: changes of the input directory bring scans too.
    void watchInputDirectory();
    void databaseRetryTimer();
    void mintimerTimer();
    void CoolTrayIcon1DblClick();
    void ZatvaranjeFMerilona1Click();
    void ZadnjiPoslovi1Click();
    void NovaProceduraProzora();
    void sessionEndQuery(QSessionManager& manager);
    // The picture takes its memory only while the window is on screen.
    void showPicture(bool shown);
    void layOutChildren();

    ProcessState& state_;
    Settings& settings_;
    desktop::DesktopUserInterface& ui_;
    desktop::SingleInstance& instance_;
    StopControl& stop_;
    ActivityPresenter activity_;
    Tdm_db* dm_db_ = nullptr;
    DirectoryPoller* poller_ = nullptr;
    std::string journalPath_;
    JournalWindow* journalWindow_ = nullptr;

    QLabel* Panel1;
    QLabel* Image1;
    QSystemTrayIcon* CoolTrayIcon1;
    QMenu* PopupMenu1;
    QTimer mintimer;
    QTimer databaseRetry_;  // while the database could not be opened at start
    QRect normalArea_;      // centred at creation; a second copy brings the window back there
    bool shown_ = false;
    bool closeAgreed_ = false;
};

}  // namespace fm
