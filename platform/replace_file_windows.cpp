#include <string>

#include "platform/kernel.h"
#include "platform/replace_file.h"

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

bool WriteTo(HANDLE file, const void* data, std::size_t size) {
    const bool written = WriteAll(file, data, size);
    return CloseHandle(file) && written;
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

bool ReplaceFileContents(const char* path, const void* data, std::size_t size) {
    if (HANDLE device = OpenDevice(path); device != INVALID_HANDLE_VALUE) return WriteTo(device, data, size);
    char full[MAX_PATH];
    char* name = nullptr;
    const DWORD length = GetFullPathNameA(path, sizeof full, full, &name);
    if (length == 0 || length >= sizeof full || name == nullptr) return false;
    const std::string folder(full, name);
    // GetTempFileNameA creates the new file, so that no other can take its name.
    char beside[MAX_PATH];
    if (GetTempFileNameA(folder.c_str(), "kv", 0, beside) == 0) return false;
    HANDLE file =
        CreateFileA(beside, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool done = file != INVALID_HANDLE_VALUE && WriteTo(file, data, size) &&
                      MoveFileExA(beside, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!done) DeleteFileA(beside);
    return done;
}
