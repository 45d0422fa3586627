// Stands in for the download until the web fetch is wired: every address fails with its message.
#include "app/download_picture.h"

#include "app/failure_message.h"
#include "core/messages.h"

int DownloadPicture(HWND mainWindow, const char*) {
    ReportFailure(mainWindow, kMsgDownloadFailed);
    return 0;
}
