// Getting a picture into the window: by file, from the clipboard, or through the open-file dialog.
#pragma once

#include <windows.h>

struct MainWindowState;

// Where a picture file comes from decides what a load keeps of it.
enum class PictureOrigin {
    kSavedCopy,   // the last run's picture, at start: no copy is written, the source path stays
    kEditor,      // the editor's hand-over file: the source path stays
    kSourceFile,  // a file chosen, pasted, dropped or downloaded: it becomes the source path
};

// Reads the file by its extension and makes it the current picture: keeps a BMP copy of it beside
// the program (except at start), shows its size and draws it into the preview. The current
// picture is replaced only once its successor is read and drawn; a load that fails beeps (except
// at start) and leaves the picture, its preview, size, source path and saved copy as they were.
bool LoadPicture(HWND mainWindow, MainWindowState& state, const char* path, PictureOrigin origin);

// Takes a path, an address or a bitmap from the clipboard, and otherwise lets the user choose a
// file. True only when a file was chosen in the dialog.
bool AcquirePicture(HWND mainWindow, MainWindowState& state);

// The open-file dialog, starting from `path` (a buffer of 256 bytes), which receives the chosen
// file. `filter` is one description and one pattern. True when an existing file was chosen.
bool ChoosePictureFile(HWND owner, const char* title, const char* description, const char* pattern,
                       char* path);
