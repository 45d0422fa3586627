#include <chrono>
#include <random>

#include "core/work_folder.h"
#include "platform/kernel.h"

std::optional<std::string> MakePrivateFolder() {
    // The ANSI calls, so that the path reaches the file calls in the code page they expect.
    char base[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof base, base);
    if (length == 0 || length > MAX_PATH) return std::nullopt;
    std::mt19937_64 names(
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string folder = base + ("korvi-" + std::to_string(names() % 1000000000000ull));
        if (CreateDirectoryA(folder.c_str(), nullptr)) return folder + '\\';
        if (GetLastError() != ERROR_ALREADY_EXISTS) return std::nullopt;
    }
    return std::nullopt;
}

bool RemoveWorkFolder(const std::string& path) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((path + '*').c_str(), &entry);
    bool removed = true;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            const std::string inner = path + name;
            removed =
                ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveWorkFolder(inner + '\\')
                                                                     : DeleteFileA(inner.c_str()) != 0) &&
                removed;
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    const std::string folder = path.substr(0, path.size() - 1);
    const bool gone = RemoveDirectoryA(folder.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ||
                      GetLastError() == ERROR_PATH_NOT_FOUND;
    return gone && removed;
}
