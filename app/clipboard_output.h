// The conversion command of the main window: the current picture as one <img> line on the clipboard.
#pragma once

#include <windows.h>

struct CurrentPicture;

// Stores the output settings, converts, puts the text on the clipboard as CF_TEXT and confirms it
// with the popup. False after a failure, which has been shown.
bool CopyToClipboard(HWND mainWindow, const CurrentPicture& current);
