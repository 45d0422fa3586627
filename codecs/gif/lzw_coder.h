// The variable-width LZW coder of GIF image data. Strings are found through a hash table
// keyed by (prefix code, next index), so each pixel costs one lookup. The table holds at most
// 4095 codes: the clear code follows as soon as the next free code would be 4095.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codecs/gif/gif_output.h"

class LzwCoder {
  public:
    // Emits the clear code into the output, whose sub-blocks must be open. Throws
    // GifWriteFailure when memory is short.
    LzwCoder(int minimumCodeSize, GifOutput& output);
    LzwCoder(const LzwCoder&) = delete;
    LzwCoder& operator=(const LzwCoder&) = delete;
    ~LzwCoder();

    // Codes the next pixels: colour indices below 2 to the power of the minimum code size.
    void Encode(const BYTE* pixels, std::size_t count);
    // Emits the pending string and the end code, and flushes the last bits. Throws
    // GifWriteFailure when no pixel was coded.
    void Finish();

  private:
    static constexpr int kHashBits = 13;
    static constexpr std::uint32_t kHashSize = 1u << kHashBits;

    void ClearTable();

    GifOutput& output_;
    std::uint32_t* table_;  // (prefix << 8 | index) << 12 | code, or all ones when free
    const std::uint32_t clear_;
    std::int32_t omega_ = -1;  // the code of the string being extended; none before the first pixel
    std::uint32_t next_, width_, limit_;
    std::uint32_t bits_ = 0, bitCount_ = 0;  // pending bits, least significant first
};
