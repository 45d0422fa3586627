#include "app/dialog_start.h"

#include "app/source_path.h"
#include "core/path_text.h"

DialogStart PlanDialogStart(const std::string& sourcePath, const std::string& picturesFolder) {
    std::string path = sourcePath;
    const char* slash = FindLastChar(path.c_str(), '\\');
    if (slash == nullptr) {
        path = picturesFolder + "\\" + kUntitled;
    } else if (slash[1] == '\0') {
        path += kUntitled;
    }
    const std::size_t split = FindLastChar(path.c_str(), '\\') - path.c_str();
    DialogStart start{path, path.substr(0, split)};
    if (start.file.size() >= kDialogPathSize) start.file = kUntitled;
    return start;
}
