// Huffman tables in the form the scans decode with, and the bit reader over the byte source.
#pragma once

#include <array>
#include <cstdint>

#include "codecs/jpeg/decoder/byte_source.h"

namespace jpeg::decoder {

// A table as DHT carries it: code counts per length 1 to 16 (index 0 unused), then the symbols
// in code order.
struct JpegHuffTable {
    std::array<std::uint8_t, 17> counts{};
    std::array<std::uint8_t, 256> symbols{};
};

// The canonical codes of a table, arranged for decoding: the ranges of codes of each length,
// and for every value of the next 8 bits the length and symbol of a code of at most 8 bits
// that begins them (length 0 when the code is longer).
struct JpegDerivedHuffTable {
    std::array<std::int32_t, 18> maxCode{};  // by length; -1 without codes; [17] ends every search
    std::array<std::int32_t, 17> minCode{};
    std::array<std::int32_t, 17> firstSymbol{};  // index of the first symbol of each length
    std::array<std::uint8_t, 256> lookLength{}, lookSymbol{};
    std::array<std::uint8_t, 256> symbols{};
    // For every value of the next 10 bits that begins with a code and the value bits its symbol
    // calls for: the bits both take (0 when they do not fit in 10), and the run and value they
    // give. Read with FastBits, FastRun, FastHasValue and FastValue.
    std::array<std::uint32_t, 1024> fast{};
};

constexpr int kFastBits = 10;
inline int FastBits(std::uint32_t entry) {
    return static_cast<int>(entry & 31);
}
inline int FastRun(std::uint32_t entry) {
    return static_cast<int>(entry >> 5 & 15);
}
inline bool FastHasValue(std::uint32_t entry) {
    return (entry & 0x200) != 0;
}
inline std::int16_t FastValue(std::uint32_t entry) {
    return static_cast<std::int16_t>(entry >> 16);
}

// Codes that do not fit their length (a table whose counts overflow the code space) can never
// be read and are left out. A DC table's symbols are value sizes; an AC table's hold a run of
// zeros in the high and a value size in the low four bits.
void DeriveHuffTable(const JpegHuffTable& table, bool ac, JpegDerivedHuffTable& derived);

// Bits of the entropy-coded data, most significant first, with 0xFF 0x00 taken as 0xFF. At a
// marker the reader stops, keeps the marker code in `unreadMarker` and supplies zero bits.
class BitReader {
  public:
    BitReader(JpegSource& source, int& unreadMarker) : source_(&source), unreadMarker_(&unreadMarker) {}

    // True when every further bit is a zero bit supplied behind the data, up to the next restart.
    bool AtEnd() const { return *unreadMarker_ != 0 && buffer_ == 0; }
    // Drops what is buffered.
    void Reset() {
        buffer_ = 0;
        bits_ = 0;
    }
    void EnsureBits(int count) {
        if (bits_ < count) Fill();
    }
    // The next `count` bits (1 to 32), which must be buffered.
    std::uint32_t Peek(int count) const { return static_cast<std::uint32_t>(buffer_ >> (64 - count)); }
    void Skip(int count) {
        buffer_ <<= count;
        bits_ -= count;
    }
    std::uint32_t GetBits(int count) {
        EnsureBits(count);
        const std::uint32_t bits = Peek(count);
        Skip(count);
        return bits;
    }
    // An s-bit value (s 1 to 16) with the sign rule of the coding: leading 0 means negative.
    std::int32_t Receive(int s) {
        const std::int32_t r = static_cast<std::int32_t>(GetBits(s));
        return r < (1 << (s - 1)) ? r - (1 << s) + 1 : r;
    }

    int DecodeSymbol(const JpegDerivedHuffTable& table) {
        EnsureBits(17);
        const std::uint32_t look = Peek(8);
        const int length = table.lookLength[look];
        if (length != 0) {
            Skip(length);
            return table.lookSymbol[look];
        }
        return DecodeLongSymbol(table);
    }

  private:
    // Reads bytes until more than 56 bits are buffered, or up to a marker.
    void Fill();
    int DecodeLongSymbol(const JpegDerivedHuffTable& table);

    std::uint64_t buffer_ = 0;  // left-aligned; the bits below the valid ones are zero
    int bits_ = 0;
    JpegSource* source_;
    int* unreadMarker_;
};

}  // namespace jpeg::decoder
