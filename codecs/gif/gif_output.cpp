#include "codecs/gif/gif_output.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "codecs/gif/gif_status.h"

namespace {
constexpr std::size_t kSubBlock = 255;
}

GifOutput::~GifOutput() {
    std::free(data_);
}

void GifOutput::Reserve(std::size_t bytes) {
    const std::size_t needed = size_ + bytes + bytes / kSubBlock + 2;
    if (needed <= capacity_) return;
    std::size_t capacity = capacity_ < 4096 ? 4096 : capacity_;
    while (capacity < needed) capacity = capacity > SIZE_MAX / 2 ? needed : capacity * 2;
    BYTE* grown = static_cast<BYTE*>(std::realloc(data_, capacity));
    if (grown == nullptr) throw GifWriteFailure{kGifOutOfMemory};
    data_ = grown;
    capacity_ = capacity;
}

void GifOutput::CutIntoSubBlocks(std::size_t start) {
    const std::size_t bytes = size_ - start, blocks = (bytes + kSubBlock - 1) / kSubBlock;
    Reserve(blocks + 1);
    // From the last block back, each moves up by the length bytes in front of it.
    std::size_t from = size_, to = size_ + blocks;
    for (std::size_t block = blocks; block-- > 0;) {
        const std::size_t length = block + 1 == blocks ? bytes - kSubBlock * block : kSubBlock;
        from -= length;
        to -= length;
        std::memmove(data_ + to, data_ + from, length);
        data_[--to] = BYTE(length);
    }
    size_ += blocks;
    data_[size_++] = 0;
}
