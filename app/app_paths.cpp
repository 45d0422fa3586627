#include "app/app_paths.h"

#include "app/settings_file.h"
#include "core/path_text.h"

std::optional<AppPaths> PathsBesideExecutable(const std::string& executablePath) {
    const char* slash = FindLastChar(executablePath.c_str(), '\\');
    if (slash == nullptr) return std::nullopt;
    AppPaths paths;
    paths.folder = executablePath.substr(0, slash + 1 - executablePath.c_str());
    paths.settingsFile = paths.folder + kSettingsFileName;
    paths.savedCopy = paths.folder + "$korvi_sv.bmp";
    paths.editorFile = paths.folder + "$korvi$.bmp";
    return paths;
}
