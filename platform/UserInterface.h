#pragma once

#include <string>

#include "platform/Activity.h"

namespace fm {

// What the program's logic needs from the desktop: notices at the tray icon,
// modal boxes and waits that keep the event loop turning. Texts are single-byte.
class UserInterface {
  public:
    virtual ~UserInterface() = default;

    // Balloon at the tray icon: title cut at 63, text at 255 characters,
    // information icon, 10 seconds. Replaces the notice on screen.
    virtual void PrikaziObavijest(const std::string& title, const std::string& text) = 0;

    // One pass over the pending events of the program.
    virtual void processPendingEvents() = 0;

    // Plain modal box with an OK button, titled with the application title.
    virtual void showMessage(const std::string& text) = 0;

    // The general error box (error icon) for errors that no step catches.
    virtual void showError(const std::string& text) = 0;

    // Waits the given time while pending events are handled.
    virtual void pause(int milliseconds) = 0;

    // The tray icon's hint and look; nothing where there is no icon.
    virtual void showActivity(const Activity& activity) { (void)activity; }
};

// Notice with an empty title, then one pass over the pending events.
void Obavijesti(UserInterface& ui, const std::string& text);

}  // namespace fm
