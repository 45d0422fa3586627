// Where the open-file dialog starts: the file name it shows and the folder it opens in.
#pragma once

#include <optional>
#include <string>

struct DialogStart {
    std::string file;    // the pre-filled file name buffer, shorter than the dialog's buffer
    std::string folder;  // the initial folder
};

constexpr char kUntitled[] = "無題";

// From the current source path, or the user's picture folder when it is empty: a path ending in
// a backslash gets "無題" appended; nothing when a non-empty path has no backslash at all. A file
// name that would not fit the dialog's buffer is replaced by "無題" alone.
std::optional<DialogStart> PlanDialogStart(const std::string& sourcePath, const std::string& picturesFolder);
