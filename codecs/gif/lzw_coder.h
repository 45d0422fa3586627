// The variable-width LZW coder of GIF image data. Strings are found through a hash table of
// (prefix code, next index) small enough to stay in the processor's caches, so each pixel costs
// one look-up, rarely two; codes go out as one run of bytes, cut into sub-blocks at the end. The
// table holds at most 4095 codes: the clear code follows as soon as the next free code would be
// 4095.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "codecs/gif/gif_output.h"

class LzwCoder {
  public:
    // Emits the clear code into the output. Throws GifWriteFailure when memory is short.
    LzwCoder(int minimumCodeSize, GifOutput& output);
    LzwCoder(const LzwCoder&) = delete;
    LzwCoder& operator=(const LzwCoder&) = delete;

    // Codes the next pixels: colour indices below 2 to the power of the minimum code size.
    void Encode(const BYTE* pixels, std::size_t count);
    // Emits the pending string and the end code, and flushes the last bits. Throws
    // GifWriteFailure when no pixel was coded.
    void Finish();

  private:
    struct Free {
        void operator()(void* block) const { std::free(block); }
    };

    void ClearTable(std::uint32_t next);

    GifOutput& output_;
    const std::uint32_t clear_;
    // Each slot holds a string's prefix << 8 | index above its code's 12 bits; 0 when empty.
    std::unique_ptr<std::uint32_t[], Free> slots_;
    std::unique_ptr<std::uint32_t[], Free> added_;  // the slot of each code added since the clear
    std::int32_t omega_ = -1;  // the code of the string being extended; none before the first pixel
    std::uint32_t next_, width_, limit_;
    std::uint64_t bits_ = 0;  // pending bits, least significant first
    std::uint32_t bitCount_ = 0;
};
