// Where the open-file dialog starts: the file name it shows and the folder it opens in.
#pragma once

#include <string>

struct DialogStart {
    std::string file;    // the pre-filled file name buffer, shorter than the dialog's buffer
    std::string folder;  // the initial folder
};

constexpr char kUntitled[] = "無題";

// From the current source path: a path ending in a backslash gets "無題" appended. A path without a
// folder (empty, relative, a bare program name) starts in the user's picture folder with "無題". A
// file name that would not fit the dialog's buffer is replaced by "無題" alone.
DialogStart PlanDialogStart(const std::string& sourcePath, const std::string& picturesFolder);
