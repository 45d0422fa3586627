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

WorkFolder::WorkFolder(std::string path) : path_(std::move(path)) {
    std::lock_guard<std::mutex> hold(InUse().lock);
    InUse().paths.push_back(path_);
}

WorkFolder::~WorkFolder() {
    if (path_.empty()) return;
    {
        std::lock_guard<std::mutex> hold(InUse().lock);
        std::vector<std::string>& paths = InUse().paths;
        paths.erase(std::find(paths.begin(), paths.end(), path_));
    }
    RemoveWorkFolder(path_);
}

void RemoveWorkFoldersInUse() {
    std::lock_guard<std::mutex> hold(InUse().lock);
    for (const std::string& path : InUse().paths) {
        // The work goes on meanwhile and may add a file after a pass; a few passes catch it.
        for (int pass = 0; pass < 5 && !RemoveWorkFolder(path); ++pass) {
        }
    }
}
