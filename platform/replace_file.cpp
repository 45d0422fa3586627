#include "platform/replace_file.h"

#include <algorithm>
#include <cstdio>

#include "platform/unfinished_replacements.h"

void UnfinishedReplacements::Unlist(const std::string& path) {
    paths.erase(std::remove(paths.begin(), paths.end(), path), paths.end());
}

UnfinishedReplacements& Unfinished() {
    static UnfinishedReplacements files;
    return files;
}

void RemoveUnfinishedReplacements() {
    UnfinishedReplacements& files = Unfinished();
    std::lock_guard<std::mutex> hold(files.lock);
    files.interrupted = true;
    // Files are opened so that they can be removed while another thread still writes them.
    for (const std::string& path : files.paths) std::remove(path.c_str());
    files.paths.clear();
}

bool ReplaceFileContents(const char* path, const void* data, std::size_t size) {
    FileReplacement replacement(path);
    return replacement.Write(data, size) && replacement.Commit();
}
