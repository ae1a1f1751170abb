#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/UserInterface.h"

namespace fm::test {

// Records what the program would show; pauses really wait so that a second
// process (the fiscal-printer emulator) gets its time. onPause runs at every pause,
// where a test changes the world while the program waits for the PARTNER.
class RecordingUserInterface : public UserInterface {
  public:
    struct Notice {
        std::string title;
        std::string text;
    };

    void PrikaziObavijest(const std::string& title, const std::string& text) override;
    void processPendingEvents() override { ++eventPasses; }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void showError(const std::string& text) override { errors.push_back(text); }
    void pause(int milliseconds) override;
    // How many notices so far begin with the text.
    int noticesStartingWith(const std::string& text) const;

    std::vector<Notice> notices;
    std::vector<std::string> messages;
    std::vector<std::string> errors;
    std::vector<int> pauses;
    int eventPasses = 0;
    bool realPauses = true;  // false: pauses are only recorded
    std::function<void(int)> onPause;
};

}  // namespace fm::test
