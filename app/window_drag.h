// Moving the main window by dragging its background.
#pragma once

#include <windows.h>

class WindowDrag {
  public:
    static constexpr UINT_PTR kTimerId = 120;

    void LoadCursors(HINSTANCE instance);
    // Every message of the window passes through here first.
    void Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Ends a drag and frees the cursors.
    void Destroy(HWND window);

  private:
    void Start(HWND window);
    void Stop();

    bool dragging_ = false;
    bool timerPending_ = false;
    POINT press_{}, last_{};
    RECT windowRect_{};
    HCURSOR moveCursor_ = nullptr, dragCursor_ = nullptr;
};
