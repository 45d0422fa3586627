// What WriteGifFile returns, and the exception that carries a failure from deep inside the
// writer back to it. The exception never leaves the writer.
#pragma once

#include <cstdint>

constexpr std::int32_t kGifWriteOk = 0;
constexpr std::int32_t kGifCannotWrite = -1;  // the file cannot be created or a write is short
constexpr std::int32_t kGifUnsupported = -4;  // not a palette bitmap the writer takes, or no pixels
constexpr std::int32_t kGifOutOfMemory = -6;  // locking or a buffer failed

struct GifWriteFailure {
    std::int32_t status;
};
