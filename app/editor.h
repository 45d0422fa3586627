// The external image editor round trip, and its settings dialog.
#pragma once

#include <windows.h>

// Starts the editor on the file and waits for it; 0 when no editor was found (nothing started).
int LaunchEditor(HWND mainWindow, const char* path);
void ShowEditorSettings(HWND mainWindow);
