#include "editor/editor_wait.h"

void WaitForEditor(EditorWatch& watch) {
    bool ready = false;
    for (;;) {
        if (!ready) {
            ready = watch.WaitReady(kEditorWaitSlice);
        } else if (watch.WaitEnded(kEditorWaitSlice)) {
            return;
        }
        if (watch.QuitPending() || !watch.MainWindowMinimised()) return;
    }
}
