#include "tests/support/RecordingUserInterface.h"

#include <chrono>
#include <thread>

namespace fm::test {

void RecordingUserInterface::PrikaziObavijest(const std::string& title, const std::string& text) {
    notices.push_back({title, text});
}

int RecordingUserInterface::noticesStartingWith(const std::string& text) const {
    int n = 0;
    for (const Notice& notice : notices) n += notice.text.rfind(text, 0) == 0;
    return n;
}

void RecordingUserInterface::pause(int milliseconds) {
    if (onPause) onPause(milliseconds);
    pauses.push_back(milliseconds);
    if (realPauses) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace fm::test
