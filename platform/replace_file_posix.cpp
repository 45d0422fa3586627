#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>
#include <string>

#include "platform/replace_file.h"

namespace {

bool WriteAll(int file, const void* data, std::size_t size) {
    for (auto* at = static_cast<const char*>(data); size > 0;) {
        const ssize_t written = write(file, at, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        at += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Opens a new file of a random name beside `target`, created here and nowhere else.
int CreateBeside(const std::string& target, std::string* name) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = folder + "." + base + ".korvi-" + std::to_string(random() % 1000000000u);
        const int file = open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (file >= 0 || errno != EEXIST) return file;
    }
    return -1;
}

}  // namespace

bool ReplaceFileContents(const char* path, const void* data, std::size_t size) {
    struct stat existing;
    const bool exists = stat(path, &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        const int file = open(path, O_WRONLY | O_CLOEXEC);
        if (file < 0) return false;
        const bool written = WriteAll(file, data, size);
        return close(file) == 0 && written;
    }
    // A link keeps pointing where it did; the file it names is replaced.
    std::string target = path;
    if (exists) {
        char resolved[PATH_MAX];
        if (realpath(path, resolved) == nullptr) return false;
        target = resolved;
    }
    std::string beside;
    const int file = CreateBeside(target, &beside);
    if (file < 0) return false;
    bool done = (!exists || fchmod(file, existing.st_mode & 07777) == 0) && WriteAll(file, data, size) &&
                fsync(file) == 0;
    done = close(file) == 0 && done;
    done = done && rename(beside.c_str(), target.c_str()) == 0;
    if (!done) unlink(beside.c_str());
    return done;
}
