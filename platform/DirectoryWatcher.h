#pragma once

#include <functional>
#include <memory>
#include <string>

namespace fm {

// Change notification for one directory (entries created, removed, renamed) and a
// one-shot recheck, both delivered by the event loop to one handler.
class DirectoryWatcher {
  public:
    DirectoryWatcher();
    ~DirectoryWatcher();
    DirectoryWatcher(const DirectoryWatcher&) = delete;
    DirectoryWatcher& operator=(const DirectoryWatcher&) = delete;

    // Watches the directory instead of the one before; false when it cannot be
    // watched (missing, or the system refuses).
    bool watch(const std::string& directory);
    bool watching() const;  // false again once the directory went away

    void onChange(std::function<void()> handler);

    // Calls the handler once after the delay; a recheck already due sooner stays.
    void recheckAfter(int milliseconds);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace fm
