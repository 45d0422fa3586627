// Fetching a picture from a web address and loading it as the current picture.
#pragma once

#include <windows.h>

// Non-zero when the downloaded picture became the current picture; 0 after a failure, which has
// been shown.
int DownloadPicture(HWND mainWindow, const char* url);
