// The file's bytes as the decoder reads them. Behind the last byte the stream goes on with EOI
// markers (0xFF 0xD9 0xFF 0xD9 ...) without end, so a file cut short reads as if it ended there
// properly and no read ever runs out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace jpeg::decoder {

class JpegSource {
  public:
    JpegSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t ReadByte() {
        const std::size_t at = position_++;
        if (at < size_) return data_[at];
        return (at - size_) % 2 == 0 ? 0xFF : 0xD9;
    }

    std::uint32_t ReadWord() {
        const std::uint32_t high = ReadByte();
        return high << 8 | ReadByte();
    }

    void Skip(std::int64_t count) {
        if (count > 0) position_ += static_cast<std::size_t>(count);
    }

    // The next eight bytes as one big-endian number, when the file still holds them all.
    bool PeekEight(std::uint64_t& bytes) const {
        if (position_ >= size_ || size_ - position_ < 8) return false;
        std::memcpy(&bytes, data_ + position_, 8);
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        bytes = __builtin_bswap64(bytes);
#endif
        return true;
    }
    void Advance(std::size_t count) {
        position_ += count;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

}  // namespace jpeg::decoder
