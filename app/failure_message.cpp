#include "app/failure_message.h"

#include "core/messages.h"

void ReportFailure(HWND owner, const char* message) {
    MessageBeep(0);
    MessageBoxA(owner, message, kAppCaption, MB_ICONWARNING | MB_OK);
}
