// Files and links dropped on the main window.
#pragma once

#include <windows.h>

// Registers the window as a drop target that posts `message` after each drop, its wParam the
// DropKind of what was dropped.
void RegisterDropTarget(HWND window, UINT message);
void RevokeDropTarget(HWND window);

// The first dropped path or address; empty before the first drop, and after a file whose path
// the system code page cannot spell.
const char* DroppedItem();
// The last dropped text that is no address, or null.
const char* DroppedText();

// Frees what the drops kept; called once at exit.
void ReleaseDroppedText();
