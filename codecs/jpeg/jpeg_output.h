// The encoder's output: bytes collect in a 4096-byte buffer that goes to the file whenever it
// fills up; a failed write fails the file with 24.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/classic_file.h"

namespace jpeg {

class OutputBuffer {
  public:
    static constexpr std::size_t kCapacity = 4096;

    explicit OutputBuffer(ClassicFile& file) : file_(file) {}
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    // Starts again with an empty buffer.
    void Reset() { used_ = 0; }

    void PutByte(std::uint8_t value) {
        buffer_[used_++] = value;
        if (used_ == kCapacity) Drain();
    }
    // Two bytes, high byte first.
    void PutWord(std::uint32_t value) {
        PutByte(static_cast<std::uint8_t>(value >> 8));
        PutByte(static_cast<std::uint8_t>(value));
    }
    void PutBytes(const std::uint8_t* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) PutByte(bytes[i]);
    }
    // Room for at least `count` bytes before the buffer must be drained.
    bool HasRoomFor(std::size_t count) const { return kCapacity - used_ > count; }
    // Appends four bytes without a drain; only after HasRoomFor(4).
    void PutFourUnchecked(std::uint32_t word) {
        buffer_[used_] = static_cast<std::uint8_t>(word >> 24);
        buffer_[used_ + 1] = static_cast<std::uint8_t>(word >> 16);
        buffer_[used_ + 2] = static_cast<std::uint8_t>(word >> 8);
        buffer_[used_ + 3] = static_cast<std::uint8_t>(word);
        used_ += 4;
    }

    // Writes what the buffer holds.
    void Finish();

  private:
    void Drain();

    ClassicFile& file_;
    std::size_t used_ = 0;
    std::array<std::uint8_t, kCapacity> buffer_;
};

}  // namespace jpeg
