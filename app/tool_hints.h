// Hints of the window's own making: a pale yellow window with the text of the control on which
// the mouse has rested.
#pragma once

#include <windows.h>

// One row of a hint table; a row with control id 0 ends the table.
struct ToolHintEntry {
    int controlId;
    const char* text;  // lines separated by "\n"
    HWND control;      // filled in by LayoutToolHints
    RECT area;         // the control in the owner's client coordinates, filled in by LayoutToolHints
};

// Finds the table's controls in `owner` and records where they are.
void LayoutToolHints(HWND owner, ToolHintEntry* table);
// Watches the pointer over `owner` and shows the table's hints from now on.
void StartToolHints(HWND owner, ToolHintEntry* table);
// Shows `text` below or above `area` (the owner's client coordinates).
void ShowToolHint(const char* text, const RECT& area);
// Removes a shown hint and stops watching; called when the owner closes.
void StopToolHints();

// The main window's hints.
void StartMainWindowHints(HWND mainWindow);
