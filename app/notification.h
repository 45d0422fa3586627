// A small always-on-top popup under the cursor that confirms a finished command and closes by
// itself when the mouse leaves it, or after 3.5 seconds at most.
#pragma once

#include <windows.h>

void ShowNotification(HWND owner, const char* caption, const char* message);
