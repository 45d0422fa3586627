// Waiting for the external editor while the main window lies minimised: first until the editor
// takes input, then until it ends. Either wait gives way, within one slice, to the user restoring
// the main window or to a quit message.
#pragma once

constexpr unsigned kEditorWaitSlice = 1000;  // milliseconds

// What the wait looks at: the editor's process, the main window and its message queue.
class EditorWatch {
  public:
    virtual ~EditorWatch() = default;
    // Each waits at most `milliseconds`. True when the editor takes input (or never will, as a
    // console program), and when it has ended (or can no longer be waited for).
    virtual bool WaitReady(unsigned milliseconds) = 0;
    virtual bool WaitEnded(unsigned milliseconds) = 0;
    virtual bool QuitPending() = 0;
    virtual bool MainWindowMinimised() = 0;
};

void WaitForEditor(EditorWatch& watch);
