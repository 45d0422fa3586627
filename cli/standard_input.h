// A picture given as "-": standard input saved whole into a work file.
#pragma once

#include <cstdint>
#include <string>

#include "core/packed_bitmap.h"

// The most standard input may hold: 8 bytes for each pixel of the largest picture accepted (a
// 16-bit RGBA PNG stored without compression) and 1 MiB for headers and tables.
constexpr std::uint64_t kMaxStandardInputBytes = kMaxPicturePixels * 8 + (std::uint64_t{1} << 20);

enum class SavedInput { kSaved, kEmpty, kTooLarge, kCannotRead, kCannotWrite };

// Copies standard input to a new file at `path`; stops reading once more than `limit` bytes
// have come.
SavedInput SaveStandardInput(const std::string& path, std::uint64_t limit = kMaxStandardInputBytes);
