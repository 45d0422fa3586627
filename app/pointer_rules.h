// Decisions about the mouse that the main window takes without a window: which notifications are
// commands, when its menu may open again and when a press on the background becomes a drag.
#pragma once

#include <cstdint>

#include "app/screen_geometry.h"

// WM_COMMAND's notification codes: a button's click (BN_CLICKED) and a menu item are 0, an
// accelerator is 1.
constexpr unsigned kClickedCode = 0, kAcceleratorCode = 1;

// Whether a WM_COMMAND runs its command. A control counts with its click only: an owner-drawn
// button also reports a double click (BN_DBLCLK) on its own, which must not run the command again.
inline bool IsCommand(unsigned code, bool fromControl) {
    return code == kClickedCode || (!fromControl && code == kAcceleratorCode);
}

// A click that closes the popup menu lands on its button again; the guard keeps that click from
// reopening the menu at once.
class MenuGuard {
  public:
    static constexpr std::uint32_t kQuietMilliseconds = 1000;

    void ClosedByClick(std::uint32_t tick) {
        closedByClick_ = true;
        closedAt_ = tick;
    }
    // Whether a press of the menu button at `tick` opens the menu; a remembered close is used once.
    bool MayOpen(std::uint32_t tick) {
        if (!closedByClick_) return true;
        closedByClick_ = false;
        // Unsigned difference, right across the wrap of the tick count.
        return tick - closedAt_ >= kQuietMilliseconds;
    }

  private:
    bool closedByClick_ = false;
    std::uint32_t closedAt_ = 0;
};

constexpr std::uint32_t kDragDelayMilliseconds = 500;

// A held press starts a drag at once when the cursor has moved more than 2 pixels either way.
inline bool MovedFarEnoughToDrag(PixelPoint press, PixelPoint now) {
    const long long dx = static_cast<long long>(now.x) - press.x,
                    dy = static_cast<long long>(now.y) - press.y;
    return dx > 2 || dx < -2 || dy > 2 || dy < -2;
}
