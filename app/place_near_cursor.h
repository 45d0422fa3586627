// Monitor rectangles and placing dialogs on the mouse cursor.
#pragma once

#include <windows.h>

#include "app/screen_geometry.h"

// The full rectangle of the monitor holding most of `rect`, or when it touches none the monitor
// `fallback` names (MONITOR_DEFAULTTOPRIMARY or MONITOR_DEFAULTTONEAREST).
PixelRect MonitorOfRect(const PixelRect& rect, DWORD fallback = MONITOR_DEFAULTTOPRIMARY);

// The window's rectangle in screen coordinates; while it is minimised, the one it is restored to.
PixelRect RestoredWindowRect(HWND window);

// Moves the window, keeping its size, to be centred on the cursor inside the cursor's monitor.
void PlaceNearCursor(HWND window);
