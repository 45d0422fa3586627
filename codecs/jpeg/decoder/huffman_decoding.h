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

// What a table's symbols mean: a DC table's a value size; an AC table's a run of zeros in the high
// and a value size in the low four bits. In an AC refinement scan any size stands for one bit,
// which the decoder reads itself, so that look-ups there find codes only.
enum class HuffTableKind { kDc, kAc, kAcRefinement };

// The canonical codes of a table, arranged for decoding. Codes of up to kLookupBits bits are found
// with one look-up of the next kLookupBits bits, which for most also holds the value bits that
// follow the code; longer codes are found by length among the ranges of codes.
constexpr int kLookupBits = 13;
struct JpegDerivedHuffTable {
    HuffTableKind kind = HuffTableKind::kDc;
    // Read with the Lookup* functions.
    std::array<std::uint32_t, 1 << kLookupBits> lookup;  // all written by the derivation
    // By length: the largest code followed by ones to 17 bits (below 0 without codes), and the
    // symbol index of code 0 of that length. [17] ends every search.
    std::array<std::int32_t, 18> lastCode17{};
    std::array<std::int32_t, 17> symbolBase{};
    std::array<std::uint8_t, 256> symbols{};
    int longFrom = kLookupBits + 1;  // the shortest length a search for a longer code may end at
};

// The value bits behind a symbol of a table of that kind.
inline int ValueSize(HuffTableKind kind, int symbol) {
    return kind == HuffTableKind::kDc ? symbol : kind == HuffTableKind::kAc ? symbol & 15 : 0;
}

// A look-up entry. Where the value fits the entry too, the bits code and value take together
// (below 32) and the value; otherwise no bits taken and, in the value's place, the code's length
// (0 where only a code longer than kLookupBits begins). Every entry of a code holds its symbol and
// its advance: for AC symbols the zigzag places up to the value's place, 64 for an end of band,
// so that a sequential block ends.
inline int LookupTakes(std::uint32_t entry) {
    return static_cast<int>(entry & 63);
}
inline int LookupAdvance(std::uint32_t entry) {
    return static_cast<int>(entry >> 6 & 127);
}
inline int LookupSymbol(std::uint32_t entry) {
    return static_cast<int>(entry >> 13 & 255);
}
inline std::int32_t LookupValue(std::uint32_t entry) {
    return static_cast<std::int32_t>(entry) >> 21;
}
inline int LookupCodeLength(std::uint32_t entry) {
    return static_cast<int>(entry >> 21);
}

// Codes that do not fit their length (a table whose counts overflow the code space) can never
// be read and are left out.
void DeriveHuffTable(const JpegHuffTable& table, HuffTableKind kind, JpegDerivedHuffTable& derived);

// A code longer than kLookupBits at the start of the next 17 bits: its length and symbol, or 17
// bits and symbol 0 when no code of up to 16 bits begins there.
struct LongCode {
    int length, symbol;
};
LongCode FindLongCode(const JpegDerivedHuffTable& table, std::uint32_t next17);

// The bit buffer, left-aligned, with the bits below the valid ones zero; the last `supplied` of
// the valid bits are zero bits supplied behind the data.
struct BufferedBits {
    std::uint64_t bits;
    int count, supplied;
};

// Fills the buffer byte by byte until more than 56 bits are valid, taking 0xFF 0x00 as 0xFF;
// at a marker it keeps the code in `unreadMarker` and makes every further bit a zero bit.
BufferedBits FillByBytes(BufferedBits buffered, JpegSource& source, int& unreadMarker);

// The top bit of every byte 0xFF of the word.
inline std::uint64_t FfBytes(std::uint64_t word) {
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Fu;
    const std::uint64_t inverse = ~word;
    return ~(((inverse & kLow7) + kLow7) | inverse | kLow7);
}

// Bits of the entropy-coded data, most significant first, with 0xFF 0x00 taken as 0xFF. At a
// marker the reader stops, keeps the marker code in `unreadMarker` and supplies zero bits. The
// decoders work on a copy in locals; nothing takes its address, so that it stays in registers.
class BitReader {
  public:
    BitReader(JpegSource& source, int& unreadMarker) : source_(&source), unreadMarker_(&unreadMarker) {}

    // True when every further bit is a zero bit supplied behind the data, up to the next restart.
    bool AtEnd() const { return *unreadMarker_ != 0 && bits_ <= supplied_; }
    // Drops what is buffered.
    void Reset() {
        buffer_ = 0;
        bits_ = supplied_ = 0;
    }
    // Up to 32 bits.
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
    // The look-up entry of the next bits; at least kLookupBits bits must be buffered.
    std::uint32_t Entry(const JpegDerivedHuffTable& table) const { return table.lookup[Peek(kLookupBits)]; }
    // A code longer than kLookupBits; at least 17 bits must be buffered.
    int DecodeLongSymbol(const JpegDerivedHuffTable& table) {
        const LongCode code = FindLongCode(table, Peek(17));
        Skip(code.length);
        return code.symbol;
    }
    // The symbol of an entry that holds no value, taking its code; at least 17 bits buffered.
    int TakeSymbol(const JpegDerivedHuffTable& table, std::uint32_t entry) {
        if (LookupCodeLength(entry) == 0) return DecodeLongSymbol(table);
        Skip(LookupCodeLength(entry));
        return LookupSymbol(entry);
    }
    int DecodeSymbol(const JpegDerivedHuffTable& table) {
        EnsureBits(17);
        const std::uint32_t entry = Entry(table);
        if (LookupTakes(entry) == 0) return TakeSymbol(table, entry);
        Skip(LookupTakes(entry) - ValueSize(table.kind, LookupSymbol(entry)));
        return LookupSymbol(entry);
    }

  private:
    // Until more than 56 bits are valid: the whole bytes that fit at once when none is 0xFF.
    void Fill() {
        std::uint64_t eight;
        if (*unreadMarker_ == 0 && source_->PeekEight(eight)) {
            const int take = (64 - bits_) / 8;
            if (FfBytes(eight) >> (64 - 8 * take) == 0) {
                buffer_ |= eight >> (64 - 8 * take) << (64 - 8 * take - bits_);
                bits_ += 8 * take;
                source_->Advance(static_cast<std::size_t>(take));
                return;
            }
        }
        const BufferedBits filled = FillByBytes({buffer_, bits_, supplied_}, *source_, *unreadMarker_);
        buffer_ = filled.bits;
        bits_ = filled.count;
        supplied_ = filled.supplied;
    }

    std::uint64_t buffer_ = 0;  // left-aligned; the bits below the valid ones are zero
    int bits_ = 0;
    int supplied_ = 0;  // of the valid bits, at their end
    JpegSource* source_;
    int* unreadMarker_;
};

}  // namespace jpeg::decoder
