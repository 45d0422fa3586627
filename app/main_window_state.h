// What the main window holds: the current picture, its preview and the window's modes.
#pragma once

#include <windows.h>

#include <memory>

#include "app/pointer_rules.h"
#include "app/source_path.h"
#include "app/window_drag.h"
#include "core/packed_bitmap.h"

// Posted by the drop target when something was dropped on the window.
constexpr UINT WM_DROPNOTIFY = WM_USER + 19;

// The picture every command works on, 24-bit once loaded.
struct CurrentPicture {
    GlobalBlock picture;
    int width = 0, height = 0;
    char sourcePath[kSourcePathSize] = {};  // empty for a picture that came from no file
};

struct MainWindowState {
    CurrentPicture current;
    GlobalBlock previewBlock;  // PreviewImage, locked from creation to destruction
    std::unique_ptr<BitmapLock> preview;
    unsigned backColor = 0xFFFFFF;
    bool busy = false;
    MenuGuard menuGuard;
    WindowDrag drag;
    HICON smallIcon = nullptr;
};
