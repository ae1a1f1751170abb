#pragma once

#include "platform/Activity.h"

namespace fm {

class UserInterface;

// Keeps what the program is doing and shows it at the tray icon.
class ActivityPresenter : public ActivityReport {
  public:
    explicit ActivityPresenter(UserInterface& ui) : ui_(ui) {}

    void doing(Activity::Doing doing) override;
    void writing(int number, const std::string& fileName) override;
    void waiting(int budgetMs, int waitedMs) override;
    void jobEnded(std::optional<JobStatus> status, std::int64_t atMs) override;
    void partner(bool stalled, std::int64_t stalledSinceMs, int jobsWaiting) override;
    // Today's counts as the journal holds them at the start.
    void counted(const DayCounts& today, int day);

    const Activity& activity() const { return activity_; }

  private:
    void show();

    UserInterface& ui_;
    Activity activity_;
};

}  // namespace fm
