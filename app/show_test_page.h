// The test page of every output variant, and its settings dialog.
#pragma once

#include <windows.h>

struct CurrentPicture;

// 1 when the page was started, 0 when there is no current picture.
int ShowTestPage(HWND mainWindow, const CurrentPicture& current);
void ShowTestPageSettings(HWND mainWindow);
