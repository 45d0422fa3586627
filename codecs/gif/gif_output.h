// The file being built in memory. The compressed image goes in as data sub-blocks: up to
// 255 bytes, each block behind its length byte, closed by a zero-length block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/kernel.h"

// Where the next data byte goes. The coder keeps a copy in locals while it runs.
struct SubBlockCursor {
    BYTE* at;          // the next free byte
    BYTE* lengthByte;  // the length byte of the open block
    unsigned fill;     // bytes in the open block

    void Put(BYTE value) {
        *at++ = value;
        if (++fill == 255) {
            *lengthByte = 255;
            lengthByte = at++;
            fill = 0;
        }
    }
};

class GifOutput {
  public:
    GifOutput() = default;
    GifOutput(const GifOutput&) = delete;
    GifOutput& operator=(const GifOutput&) = delete;
    ~GifOutput();

    // Makes room for `bytes` more bytes, and for the length bytes among them; throws
    // GifWriteFailure when memory is short.
    void Reserve(std::size_t bytes);
    // Plain bytes outside the sub-blocks; reserved by the caller.
    BYTE* end() { return data_ + size_; }
    void Advance(std::size_t bytes) { size_ += bytes; }

    // Opens the first data sub-block; afterwards bytes go through the cursor.
    void BeginSubBlocks();
    // Valid until the next Reserve.
    SubBlockCursor Cursor() { return SubBlockCursor{data_ + size_, data_ + lengthAt_, fill_}; }
    void Update(const SubBlockCursor& cursor);
    // Closes the last block and adds the zero-length block.
    void EndSubBlocks();

    const BYTE* data() const { return data_; }
    std::size_t size() const { return size_; }

  private:
    BYTE* data_ = nullptr;
    std::size_t size_ = 0, capacity_ = 0;
    std::size_t lengthAt_ = 0;  // offset of the open block's length byte
    unsigned fill_ = 0;
};
