// Stands in for the drop target until it is wired: the window takes no drops.
#include "app/drop_target.h"

void RegisterDropTarget(HWND, UINT) {}

void RevokeDropTarget(HWND) {}

const char* DroppedItem() {
    return "";
}

void ReleaseDroppedText() {}
