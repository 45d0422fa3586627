#include "cli/standard_input.h"

#include <cstdio>
#include <vector>

#include "core/classic_file.h"

SavedInput SaveStandardInput(const std::string& path, std::uint64_t limit) {
    ClassicFile file = ClassicFile::Create(path.c_str());
    if (!file.is_open()) return SavedInput::kCannotWrite;
    std::vector<char> piece(1 << 16);
    std::uint64_t total = 0;
    for (;;) {
        const std::size_t count = std::fread(piece.data(), 1, piece.size(), stdin);
        if (count == 0) break;
        total += count;
        if (total > limit) return SavedInput::kTooLarge;
        if (!file.WriteExactly(piece.data(), count)) return SavedInput::kCannotWrite;
    }
    if (std::ferror(stdin)) return SavedInput::kCannotRead;
    if (!file.Close()) return SavedInput::kCannotWrite;
    return total == 0 ? SavedInput::kEmpty : SavedInput::kSaved;
}
