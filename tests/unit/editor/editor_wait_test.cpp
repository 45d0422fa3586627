#include "editor/editor_wait.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace {

constexpr unsigned kNever = std::numeric_limits<unsigned>::max();

// An editor and a user on a simulated clock: the moments, in milliseconds, at which the editor
// takes input and ends, the user restores the main window and a quit message arrives.
class Timeline final : public EditorWatch {
  public:
    Timeline(unsigned ready, unsigned ended, unsigned restored, unsigned quit)
        : ready_(ready), ended_(ended), restored_(restored), quit_(quit) {}

    bool WaitReady(unsigned milliseconds) override { return Wait(std::min(ready_, ended_), milliseconds); }
    bool WaitEnded(unsigned milliseconds) override { return Wait(ended_, milliseconds); }
    bool QuitPending() override { return now >= quit_; }
    bool MainWindowMinimised() override { return now < restored_; }

    unsigned now = 0;

  private:
    // Returns as soon as the moment comes, else after the whole time.
    bool Wait(unsigned moment, unsigned milliseconds) {
        now = std::max(now, std::min(now + milliseconds, moment));
        return moment <= now;
    }

    unsigned ready_, ended_, restored_, quit_;
};

}  // namespace

TEST(WaitForEditor, EndsWhenTheEditorEndsOrWithinASliceOfARestoreOrAQuit) {
    const struct {
        const char* what;
        unsigned ready, ended, restored, quit;
        unsigned endsAt;
    } cases[] = {
        {"editor closed", 200, 5300, kNever, kNever, 5300},
        {"ended before taking input", kNever, 2500, kNever, kNever, 2500},
        {"restored while editing", 200, kNever, 2500, kNever, 3200},
        {"restored before the editor takes input", kNever, kNever, 4500, kNever, 5000},
        {"quit while editing", 100, kNever, kNever, 7000, 7100},
        {"restored and closed in one slice", 200, 1500, 1400, kNever, 1500},
    };
    for (const auto& c : cases) {
        Timeline timeline(c.ready, c.ended, c.restored, c.quit);
        WaitForEditor(timeline);
        EXPECT_EQ(timeline.now, c.endsAt) << c.what;
    }
}
