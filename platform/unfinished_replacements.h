// The files beside that replacements have made and not yet committed, listed for an
// interruption to remove. Making, committing and removing such a file happen under the lock.
#pragma once

#include <mutex>
#include <string>
#include <vector>

struct UnfinishedReplacements {
    std::mutex lock;
    std::vector<std::string> paths;
    bool interrupted = false;  // once set, no replacement starts or commits
    void Unlist(const std::string& path);
};

UnfinishedReplacements& Unfinished();
