// The test page of every output variant, and its settings dialog.
#pragma once

#include <windows.h>

// 1 when the page was started, 0 when there is no current picture.
int ShowTestPage(HWND mainWindow);
void ShowTestPageSettings(HWND mainWindow);
