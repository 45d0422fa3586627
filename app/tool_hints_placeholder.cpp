// Stands in for the hints until they are wired: none are shown.
#include "app/tool_hints.h"

void StartMainWindowHints(HWND) {}

void StopToolHints() {}
