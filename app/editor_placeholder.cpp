// Stands in for the editor until it is wired: no editor is ever found.
#include "app/editor.h"

int LaunchEditor(HWND, const char*) {
    return 0;
}

void ShowEditorSettings(HWND) {}
