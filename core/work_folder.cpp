#include "core/work_folder.h"

#include <chrono>
#include <filesystem>
#include <random>

namespace fs = std::filesystem;

std::optional<WorkFolder> WorkFolder::Create() {
    std::error_code error;
    const fs::path base = fs::temp_directory_path(error);
    if (error) return std::nullopt;
    std::mt19937_64 names(
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path folder = base / ("korvi-" + std::to_string(names() % 1000000000000ull));
        if (!fs::create_directory(folder, error)) continue;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
        return WorkFolder(folder.string() + static_cast<char>(fs::path::preferred_separator));
    }
    return std::nullopt;
}

WorkFolder::~WorkFolder() {
    if (path_.empty()) return;
    std::error_code ignored;
    fs::remove_all(fs::path(path_), ignored);
}
