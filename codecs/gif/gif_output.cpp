#include "codecs/gif/gif_output.h"

#include <cstdint>
#include <cstdlib>

#include "codecs/gif/gif_status.h"

GifOutput::~GifOutput() {
    std::free(data_);
}

void GifOutput::Reserve(std::size_t bytes) {
    const std::size_t needed = size_ + bytes + bytes / 255 + 2;
    if (needed <= capacity_) return;
    std::size_t capacity = capacity_ < 4096 ? 4096 : capacity_;
    while (capacity < needed) capacity = capacity > SIZE_MAX / 2 ? needed : capacity * 2;
    BYTE* grown = static_cast<BYTE*>(std::realloc(data_, capacity));
    if (grown == nullptr) throw GifWriteFailure{kGifOutOfMemory};
    data_ = grown;
    capacity_ = capacity;
}

void GifOutput::BeginSubBlocks() {
    lengthAt_ = size_++;
    fill_ = 0;
}

void GifOutput::Update(const SubBlockCursor& cursor) {
    size_ = std::size_t(cursor.at - data_);
    lengthAt_ = std::size_t(cursor.lengthByte - data_);
    fill_ = cursor.fill;
}

void GifOutput::EndSubBlocks() {
    // An empty open block's length byte is the zero-length block itself.
    data_[lengthAt_] = BYTE(fill_);
    if (fill_ != 0) data_[size_++] = 0;
}
