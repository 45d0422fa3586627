// The hints shown when the mouse rests on a control of the main window.
#pragma once

#include <windows.h>

void StartMainWindowHints(HWND mainWindow);
// Removes a shown hint; called when the main window closes.
void StopToolHints();
