#include "cli/interrupt.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "core/work_folder.h"

namespace {

std::mutex& Lock() {
    static std::mutex lock;
    return lock;
}

std::vector<std::string>& FoldersInUse() {
    static std::vector<std::string> folders;
    return folders;
}

}  // namespace

RemovedOnInterruption::RemovedOnInterruption(std::string folder) : folder_(std::move(folder)) {
    std::lock_guard<std::mutex> hold(Lock());
    FoldersInUse().push_back(folder_);
}

RemovedOnInterruption::~RemovedOnInterruption() {
    std::lock_guard<std::mutex> hold(Lock());
    std::vector<std::string>& folders = FoldersInUse();
    if (auto found = std::find(folders.begin(), folders.end(), folder_); found != folders.end())
        folders.erase(found);
}

void RemoveFoldersInUse() {
    std::lock_guard<std::mutex> hold(Lock());
    for (const std::string& folder : FoldersInUse()) {
        // The work goes on meanwhile and may add a file after a pass; a few passes catch it.
        for (int pass = 0; pass < 5 && !RemoveWorkFolder(folder); ++pass) {
        }
    }
}
