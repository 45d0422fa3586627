#include "cli/interrupt.h"
#include "core/work_folder.h"
#include "platform/kernel.h"
#include "platform/replace_file.h"

namespace {

// Runs on a thread of its own; returning FALSE lets the default handler end the process.
BOOL WINAPI OnConsoleEvent(DWORD) {
    RemoveWorkFoldersInUse();
    RemoveUnfinishedReplacements();
    return FALSE;
}

}  // namespace

void WatchForInterruptions() {
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}
