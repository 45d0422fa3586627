#include "cli/stream_input.h"

#include <sys/stat.h>

#include <vector>

#include "core/classic_file.h"

std::FILE* OpenIfStream(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return nullptr;
    struct stat status;
    if (fstat(fileno(file), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode))
        return file;
    std::fclose(file);
    return nullptr;
}

SavedInput SaveStream(std::FILE* stream, const std::string& path, std::uint64_t limit) {
    ClassicFile file = ClassicFile::Create(path.c_str());
    if (!file.is_open()) return SavedInput::kCannotWrite;
    std::vector<char> piece(1 << 16);
    std::uint64_t total = 0;
    for (;;) {
        const std::size_t count = std::fread(piece.data(), 1, piece.size(), stream);
        if (count == 0) break;
        total += count;
        if (total > limit) return SavedInput::kTooLarge;
        if (!file.WriteExactly(piece.data(), count)) return SavedInput::kCannotWrite;
    }
    if (std::ferror(stream)) return SavedInput::kCannotRead;
    if (!file.Close()) return SavedInput::kCannotWrite;
    return total == 0 ? SavedInput::kEmpty : SavedInput::kSaved;
}
