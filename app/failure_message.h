// How the program tells the user that something failed.
#pragma once

#include <windows.h>

// A beep, then the message in a warning box with the program's caption; `owner` may be null.
void ReportFailure(HWND owner, const char* message);
