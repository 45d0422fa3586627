// Getting a picture into the window: by file, from the clipboard, or through the open-file dialog.
#pragma once

#include <windows.h>

// Reads the file by its extension (or, with a null path, takes the picture already placed in the
// current slot), keeps a BMP copy of it beside the program when asked, shows its size and draws it
// into the preview. True when it is the current picture and drawn.
bool LoadPicture(HWND mainWindow, const char* path, bool saveCopy);

// Takes a path, an address or a bitmap from the clipboard, and otherwise lets the user choose a
// file. True only when a file was chosen in the dialog.
bool AcquirePicture(HWND mainWindow);

// The open-file dialog, starting from `path` (a buffer of 256 bytes), which receives the chosen
// file. `filter` is one description and one pattern. True when an existing file was chosen.
bool ChoosePictureFile(HWND owner, const char* title, const char* description, const char* pattern,
                       char* path);
