#include <string>
#include <utility>

#include "platform/kernel.h"
#include "platform/replace_file.h"
#include "platform/unfinished_replacements.h"

namespace {

bool WriteAll(HANDLE file, const void* data, std::size_t size) {
    for (auto* at = static_cast<const char*>(data); size > 0;) {
        const DWORD piece = size < (1u << 30) ? static_cast<DWORD>(size) : 1u << 30;
        DWORD written = 0;
        if (!WriteFile(file, at, piece, &written, nullptr) || written != piece) return false;
        at += piece;
        size -= piece;
    }
    return true;
}

// A device such as NUL or CON, which cannot be replaced but only written to.
HANDLE OpenDevice(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE && GetFileType(file) == FILE_TYPE_DISK) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

}  // namespace

struct FileReplacement::State {
    HANDLE file = INVALID_HANDLE_VALUE;
    std::string target;
    std::string beside;   // empty when the target is written directly, or once finished
    bool written = true;  // every write so far succeeded
};

FileReplacement::FileReplacement(const char* path) : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.file = OpenDevice(path);
    if (s.file != INVALID_HANDLE_VALUE) return;
    char full[MAX_PATH];
    char* name = nullptr;
    const DWORD length = GetFullPathNameA(path, sizeof full, full, &name);
    if (length == 0 || length >= sizeof full || name == nullptr) return;
    const std::string folder(full, name);
    UnfinishedReplacements& unfinished = Unfinished();
    std::lock_guard<std::mutex> hold(unfinished.lock);
    if (unfinished.interrupted) return;
    // GetTempFileNameA creates the new file, so that no other can take its name. It is shared for
    // deleting, so that an interruption can remove it while it is being written.
    char beside[MAX_PATH];
    if (GetTempFileNameA(folder.c_str(), "kv", 0, beside) == 0) return;
    s.file = CreateFileA(beside, GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, TRUNCATE_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (s.file == INVALID_HANDLE_VALUE) {
        DeleteFileA(beside);
        return;
    }
    s.target = path;
    s.beside = beside;
    unfinished.paths.push_back(s.beside);
}

FileReplacement::~FileReplacement() {
    State& s = *state_;
    if (s.file != INVALID_HANDLE_VALUE) CloseHandle(s.file);
    if (s.beside.empty()) return;
    UnfinishedReplacements& unfinished = Unfinished();
    std::lock_guard<std::mutex> hold(unfinished.lock);
    DeleteFileA(s.beside.c_str());
    unfinished.Unlist(s.beside);
}

bool FileReplacement::is_open() const {
    return state_->file != INVALID_HANDLE_VALUE;
}

bool FileReplacement::Write(const void* data, std::size_t size) {
    State& s = *state_;
    s.written = s.file != INVALID_HANDLE_VALUE && s.written && WriteAll(s.file, data, size);
    return s.written;
}

bool FileReplacement::Commit() {
    State& s = *state_;
    if (s.file == INVALID_HANDLE_VALUE) return false;
    bool done = CloseHandle(std::exchange(s.file, INVALID_HANDLE_VALUE)) && s.written;
    if (s.beside.empty()) return done;
    UnfinishedReplacements& unfinished = Unfinished();
    std::lock_guard<std::mutex> hold(unfinished.lock);
    done =
        done && !unfinished.interrupted &&
        MoveFileExA(s.beside.c_str(), s.target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!done) DeleteFileA(s.beside.c_str());
    unfinished.Unlist(s.beside);
    s.beside.clear();
    return done;
}
