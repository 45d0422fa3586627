#include "core/work_folder.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

// The folders of the live WorkFolder objects, for an interruption to remove.
struct FoldersInUse {
    std::mutex lock;
    std::vector<std::string> paths;
};

FoldersInUse& InUse() {
    static FoldersInUse folders;
    return folders;
}

}  // namespace

// A folder is made and listed, and removed and unlisted, under the lock, so that an
// interruption at any moment finds every folder that exists.
std::optional<WorkFolder> WorkFolder::Create() {
    std::lock_guard<std::mutex> hold(InUse().lock);
    std::optional<std::string> path = MakePrivateFolder();
    if (!path) return std::nullopt;
    InUse().paths.push_back(*path);
    return WorkFolder(std::move(*path));
}

WorkFolder::~WorkFolder() {
    if (path_.empty()) return;
    std::lock_guard<std::mutex> hold(InUse().lock);
    RemoveWorkFolder(path_);
    std::vector<std::string>& paths = InUse().paths;
    paths.erase(std::find(paths.begin(), paths.end(), path_));
}

void RemoveWorkFoldersInUse() {
    std::lock_guard<std::mutex> hold(InUse().lock);
    for (const std::string& path : InUse().paths) {
        // The work goes on meanwhile and may add a file after a pass; a few passes catch it.
        for (int pass = 0; pass < 5 && !RemoveWorkFolder(path); ++pass) {
        }
    }
}
