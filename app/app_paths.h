// Every file the program keeps, beside the executable.
#pragma once

#include <optional>
#include <string>

#include "pipeline/output_settings.h"

struct AppPaths {
    std::string folder;        // with its trailing backslash
    std::string settingsFile;  // korvi.ini
    std::string savedCopy;     // $korvi_sv.bmp, the last picture
    std::string editorFile;    // $korvi$.bmp, handed to the image editor
    std::string TempOutput(OutputFormat format) const { return TempOutputPath(folder, format); }
};

// From the executable's full path; nothing when it has no backslash.
std::optional<AppPaths> PathsBesideExecutable(const std::string& executablePath);
