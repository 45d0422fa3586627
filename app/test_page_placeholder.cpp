// Stands in for the test page and its settings until they are wired: nothing opens.
#include "app/test_page.h"

int ShowTestPage(HWND) {
    return 0;
}

void ShowTestPageSettings(HWND) {}
