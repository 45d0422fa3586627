// What the tooltips decide without a window: the lines of a hint, where the hint goes, and when
// the pointer has rested long enough for one.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "app/screen_geometry.h"

constexpr int kMaxHintLines = 40;

// The lines of a hint split at each "\n", at most 40: every line ended by one counts, empty or
// not; what follows the last one counts only when it is not empty.
std::vector<std::string_view> HintLines(std::string_view text);

// The hint's window for text `widest` pixels wide in `lines` lines of `lineHeight`, with a margin
// of 3 pixels: centred under the control's area (screen coordinates) 6 pixels below it, or 6
// pixels above it when it would not end above the monitor's bottom edge; pulled back over the
// monitor's right and then left edge.
PixelRect PlaceToolHint(const PixelRect& area, int widest, int lines, int lineHeight,
                        const PixelRect& monitor);

// The timer's rule: a hint appears once the pointer has rested within 2 pixels for 1200 ms, moves
// from control to control without a new delay while shown, and goes when a mouse button is down.
// Each tick is Tick, then Search when Tick asks for it; the shown hint goes in between.
class HintRest {
  public:
    static constexpr std::uint32_t kRestMilliseconds = 1200;
    static constexpr int kTolerance = 2;

    struct Step {
        bool hide = false;    // remove the shown hint
        bool search = false;  // then look for the row under the pointer
    };

    // Starts over with no hint shown and the pointer resting at `point` since `now`.
    void Restart(PixelPoint point, std::uint32_t now);
    // The hint's window is gone.
    void Forget() { shown_ = -1; }
    int shown() const { return shown_; }

    // One tick at `now` with the pointer at `point` (client coordinates); `areas` are the rows' areas.
    Step Tick(bool buttonDown, PixelPoint point, std::uint32_t now, const std::vector<PixelRect>& areas);
    // The row whose hint to show now, or -1: the first whose area holds the point, when
    // `reachable(row)` says the pointer is over its control and no other window covers it.
    int Search(PixelPoint point, std::uint32_t now, const std::vector<PixelRect>& areas,
               const std::function<bool(int row)>& reachable);

  private:
    int shown_ = -1;
    PixelPoint restPoint_;
    std::uint32_t restTime_ = 0;
};
