// The external image editor round trip, and its settings dialog.
#pragma once

#include <windows.h>

// Starts the editor on the file and waits, the main window minimised, until the editor ends or the
// user restores the window; 1 then, 0 when no editor was found (nothing started, the window as it was).
int LaunchEditor(HWND mainWindow, const char* path);
// The modal dialog that chooses the editor program.
void ShowEditorSettings(HWND mainWindow);
