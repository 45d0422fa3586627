#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <optional>
#include <random>
#include <string>
#include <utility>

#include "platform/replace_file.h"
#include "platform/unfinished_replacements.h"

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

// The file a path names once its links are followed, also when the last one names a file not
// there yet, as a shell's ">" writes through it; nothing for a circle of links.
std::optional<std::string> FollowLinks(std::string path) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat link;
        if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = readlink(path.c_str(), target.data(), target.size());
        if (length <= 0 || length >= PATH_MAX) return std::nullopt;
        target.resize(std::size_t(length));
        const std::size_t slash = path.rfind('/');
        path = target[0] == '/' || slash == std::string::npos ? target : path.substr(0, slash + 1) + target;
    }
    return std::nullopt;
}

}  // namespace

struct FileReplacement::State {
    int file = -1;
    std::string target;   // the file replaced, links resolved
    std::string beside;   // empty when the target is written directly, or once finished
    bool written = true;  // every step so far succeeded
};

FileReplacement::FileReplacement(const char* path) : state_(std::make_unique<State>()) {
    State& s = *state_;
    struct stat existing;
    const bool exists = stat(path, &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        s.file = open(path, O_WRONLY | O_CLOEXEC);
        return;
    }
    // A link keeps pointing where it did; the file it names is replaced, or made.
    std::optional<std::string> target = FollowLinks(path);
    if (!target) return;
    s.target = std::move(*target);
    UnfinishedReplacements& unfinished = Unfinished();
    std::lock_guard<std::mutex> hold(unfinished.lock);
    if (unfinished.interrupted) return;
    s.file = CreateBeside(s.target, &s.beside);
    if (s.file < 0) {
        s.beside.clear();
        return;
    }
    unfinished.paths.push_back(s.beside);
    s.written = !exists || fchmod(s.file, existing.st_mode & 07777) == 0;
}

FileReplacement::~FileReplacement() {
    State& s = *state_;
    if (s.file >= 0) close(s.file);
    if (s.beside.empty()) return;
    UnfinishedReplacements& unfinished = Unfinished();
    std::lock_guard<std::mutex> hold(unfinished.lock);
    unlink(s.beside.c_str());
    unfinished.Unlist(s.beside);
}

bool FileReplacement::is_open() const {
    return state_->file >= 0;
}

bool FileReplacement::Write(const void* data, std::size_t size) {
    State& s = *state_;
    s.written = s.file >= 0 && s.written && WriteAll(s.file, data, size);
    return s.written;
}

bool FileReplacement::Commit() {
    State& s = *state_;
    if (s.file < 0) return false;
    bool done = s.written && (s.beside.empty() || fsync(s.file) == 0);
    done = close(std::exchange(s.file, -1)) == 0 && done;
    if (s.beside.empty()) return done;
    UnfinishedReplacements& unfinished = Unfinished();
    std::lock_guard<std::mutex> hold(unfinished.lock);
    done = done && !unfinished.interrupted && rename(s.beside.c_str(), s.target.c_str()) == 0;
    if (!done) unlink(s.beside.c_str());
    unfinished.Unlist(s.beside);
    s.beside.clear();
    return done;
}
