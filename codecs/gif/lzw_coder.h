// The variable-width LZW coder of GIF image data. Strings are found through a child table
// indexed by (prefix code, next index), so each pixel costs one lookup. The table holds at
// most 4095 codes: the clear code follows as soon as the next free code would be 4095.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "codecs/gif/gif_output.h"

class LzwCoder {
  public:
    // Emits the clear code into the output, whose sub-blocks must be open. Throws
    // GifWriteFailure when memory is short.
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

    void ClearTable();

    GifOutput& output_;
    const std::uint32_t clear_;
    // The code of string (prefix, index) at prefix * clear + index, 0 when none.
    std::unique_ptr<std::uint16_t[], Free> child_;
    std::unique_ptr<std::uint32_t[], Free> added_;  // where each added code sits in child_
    std::int32_t omega_ = -1;  // the code of the string being extended; none before the first pixel
    std::uint32_t next_, width_, limit_;
    std::uint32_t bits_ = 0, bitCount_ = 0;  // pending bits, least significant first
};
