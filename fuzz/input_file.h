// The fuzz input as a file, for code that reads from a path: one file per process and suffix,
// in a private folder under TMPDIR that is removed when the process ends.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/work_folder.h"

// The path of the written file, or an empty text when it could not be written.
inline std::string WriteInputFile(const std::uint8_t* data, std::size_t size, const char* suffix) {
    static const std::optional<WorkFolder> folder = WorkFolder::Create();
    if (!folder) return {};
    const std::string path = folder->path() + "input" + suffix;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return {};
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written ? path : std::string();
}
