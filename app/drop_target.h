// Files and links dropped on the main window.
#pragma once

#include <windows.h>

// Registers the window as a drop target that posts `message` after each drop.
void RegisterDropTarget(HWND window, UINT message);
void RevokeDropTarget(HWND window);

// The first dropped path or address; empty before the first drop.
const char* DroppedItem();

// Frees what the drops kept; called once at exit.
void ReleaseDroppedText();
