// A picture that can be read only once, as it comes: standard input ("-"), a pipe, a FIFO or a
// device, saved whole into a work file that the readers then open as often as they need.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/packed_bitmap.h"

// The most a stream may hold: 8 bytes for each pixel of the largest picture accepted (a 16-bit
// RGBA PNG stored without compression) and 1 MiB for headers and tables.
constexpr std::uint64_t kMaxStreamBytes = kMaxPicturePixels * 8 + (std::uint64_t{1} << 20);

enum class SavedInput { kSaved, kEmpty, kTooLarge, kCannotRead, kCannotWrite };

// The file opened for reading when it is a stream rather than a plain file or a folder; null
// otherwise (also when it cannot be opened), and the caller reads it by its path.
std::FILE* OpenIfStream(const char* path);

// Copies the stream to a new file at `path`; stops reading once more than `limit` bytes have
// come. A WebP stream is read and copied only to the end of its first frame, which is all the
// reader reads of it.
SavedInput SaveStream(std::FILE* stream, const std::string& path, std::uint64_t limit = kMaxStreamBytes);
