#pragma once

#include <QPointer>
#include <QSystemTrayIcon>
#include <string>

#include "platform/UserInterface.h"
#include "platform/desktop/TrayLooks.h"

namespace fm::desktop {

// The user interface on the desktop. Everything is logged; with a system tray the
// notices are balloons at the tray icon and the boxes are modal. Without one nobody
// can answer a box, so the log is all there is and nothing blocks.
// The body of a balloon as the one who shows it reads it: escaped where markup is read,
// so that a file name or a field is shown as it is.
QString noticeBody(const std::string& text);

class DesktopUserInterface : public UserInterface {
  public:
    // Title of every box; the executable's name until the program sets its own.
    void setApplicationTitle(const std::string& title) { title_ = title; }

    // The icon that shows the notices and the activity; owned by the main window. Its
    // icon at this moment is the normal look.
    void attachTrayIcon(QSystemTrayIcon* icon);

    void PrikaziObavijest(const std::string& title, const std::string& text) override;
    void processPendingEvents() override;
    void showMessage(const std::string& text) override;
    void showError(const std::string& text) override;
    void pause(int milliseconds) override;
    // The hint and the look, each set only when it changed.
    void showActivity(const Activity& activity) override;

    // "Da li stvarno zelis da zaustavis FMerilon ", Yes or No; true for Yes. Without a
    // display nobody can answer: logged and answered No.
    bool askStopQuestion();

    static constexpr std::size_t kTitleLimit = 63;
    static constexpr std::size_t kTextLimit = 255;
    static constexpr int kNoticeMilliseconds = 10000;

  private:
    bool balloonsShown() const;

    std::string title_ = "FMerilon";
    QPointer<QSystemTrayIcon> trayIcon_;
    TrayLooks looks_;
    std::string shownHint_;
    IconLook shownLook_ = IconLook::Normal;
};

}  // namespace fm::desktop
