// Fetching a picture from a web address into its work file beside the program.
#pragma once

#include <windows.h>

#include <string>

// The path of the downloaded picture; empty after a failure, which has been shown.
std::string DownloadPicture(HWND mainWindow, const char* url);
