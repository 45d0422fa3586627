// How the notification popup sizes itself to its message.
#pragma once

#include <string_view>
#include <vector>

#include "app/screen_geometry.h"

// The lines of a message split at each "\r\n": every line ended by one counts, empty or not; what
// follows the last one counts only when it is not empty.
std::vector<std::string_view> MessageLines(std::string_view message);

// The popup as its resource lays it out, in pixels (client coordinates for the controls).
struct NotificationFrame {
    int windowHeight;
    PixelRect edit;
    PixelRect button;
};

struct NotificationLayout {
    int windowWidth, windowHeight;
    PixelRect edit, button;
};

// For a message of `lines` lines whose widest is `widest` pixels: the window W + 60 wide and grown
// by (2L - 2) e / 3, the edit control W + 10 wide and grown alike, the button moved down by as much
// and to W / 2 - 20. `frame` unchanged when either is 0.
NotificationLayout LayoutNotification(const NotificationFrame& frame, int widest, int lines);
