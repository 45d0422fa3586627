#include "core/work_folder.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// The folders of the live WorkFolder objects, for an interruption to remove.
struct FoldersInUse {
    std::mutex lock;
    std::vector<std::string> paths;
    bool interrupted = false;  // once set, no folder is made
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
    if (InUse().interrupted) return std::nullopt;
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
    InUse().interrupted = true;
    // The work goes on meanwhile: it may add a file after a pass, and on Windows a file another
    // thread has open cannot be removed until it is closed, which each step does soon.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    for (const std::string& path : InUse().paths) {
        while (!RemoveWorkFolder(path) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}
