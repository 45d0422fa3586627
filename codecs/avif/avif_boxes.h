// Writing the boxes of an AVIF file, big-endian, each box's size filled in when it is closed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// Appends boxes to a file under construction.
class Boxes {
  public:
    explicit Boxes(std::vector<std::uint8_t>* out) : out_(*out) {}

    void U8(std::uint32_t value) { out_.push_back(std::uint8_t(value)); }
    void U16(std::uint32_t value) {
        U8(value >> 8);
        U8(value);
    }
    void U32(std::uint32_t value) {
        U16(value >> 16);
        U16(value);
    }
    void Text(const char* text) { out_.insert(out_.end(), text, text + std::strlen(text)); }
    void Bytes(const std::vector<std::uint8_t>& bytes) {
        out_.insert(out_.end(), bytes.begin(), bytes.end());
    }
    // Starts a box; its size is written when it is closed.
    std::size_t Open(const char* type) {
        const std::size_t start = out_.size();
        U32(0);
        Text(type);
        return start;
    }
    std::size_t OpenFull(const char* type, std::uint32_t version = 0) {
        const std::size_t start = Open(type);
        U32(version << 24);
        return start;
    }
    void Close(std::size_t start) { Patch(start, std::uint32_t(out_.size() - start)); }
    void Patch(std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) out_[at + std::size_t(i)] = std::uint8_t(value >> (24 - 8 * i));
    }
    std::size_t size() const { return out_.size(); }

  private:
    std::vector<std::uint8_t>& out_;
};
