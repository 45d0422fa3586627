#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "core/work_folder.h"

namespace {

// Removes what the open folder holds, folders inside it included.
bool RemoveEntries(int folder) {
    DIR* entries = fdopendir(folder);
    if (entries == nullptr) {
        close(folder);
        return false;
    }
    bool removed = true;
    while (const dirent* entry = readdir(entries)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (unlinkat(dirfd(entries), name.c_str(), 0) == 0 || errno == ENOENT) continue;
        const int inner =
            openat(dirfd(entries), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        removed = inner >= 0 && RemoveEntries(inner) &&
                  unlinkat(dirfd(entries), name.c_str(), AT_REMOVEDIR) == 0 && removed;
    }
    closedir(entries);
    return removed;
}

}  // namespace

std::optional<std::string> MakePrivateFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = base != nullptr && *base != '\0' ? base : "/tmp";
    if (pattern.back() != '/') pattern += '/';
    pattern += "korvi-XXXXXX";
    // mkdtemp makes the folder with mode 0700, so nobody else can enter it at any moment.
    if (mkdtemp(pattern.data()) == nullptr) return std::nullopt;
    return pattern + '/';
}

bool RemoveWorkFolder(const std::string& path) {
    const int folder = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0) return errno == ENOENT;
    return RemoveEntries(folder) && (rmdir(path.c_str()) == 0 || errno == ENOENT);
}
