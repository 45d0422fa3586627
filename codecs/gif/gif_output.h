// The file being built in memory. The compressed image goes in as one run of bytes, which is
// then cut into data sub-blocks: up to 255 bytes, each behind its length byte, closed by a
// zero-length block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/kernel.h"

class GifOutput {
  public:
    GifOutput() = default;
    GifOutput(const GifOutput&) = delete;
    GifOutput& operator=(const GifOutput&) = delete;
    ~GifOutput();

    // Makes room for `bytes` more bytes, and for the length bytes they may need; throws
    // GifWriteFailure when memory is short.
    void Reserve(std::size_t bytes);
    // The next free byte; reserved by the caller. Valid until the next Reserve.
    BYTE* end() { return data_ + size_; }
    void Advance(std::size_t bytes) { size_ += bytes; }

    // Cuts the bytes from `start` to the end into sub-blocks and adds the zero-length block.
    void CutIntoSubBlocks(std::size_t start);

    const BYTE* data() const { return data_; }
    std::size_t size() const { return size_; }

  private:
    BYTE* data_ = nullptr;
    std::size_t size_ = 0, capacity_ = 0;
};
