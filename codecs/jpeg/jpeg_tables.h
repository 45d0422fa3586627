// The constant tables of the encoder and the quantisation and Huffman table records.
#pragma once

#include <array>
#include <cstdint>

namespace jpeg {

constexpr int kBlockSize = 64;

// Natural (row-major) index of each zigzag position.
inline constexpr std::array<std::uint8_t, kBlockSize> kNaturalOrder = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

// 16384 * f(row) * f(column) with f(0) = 1 and f(k) = sqrt(2) * cos(k * pi / 16), natural order:
// the scale factors of the fast DCT's outputs.
extern const std::array<std::uint16_t, kBlockSize> kDctScale;

// 64 values in zigzag order, as a DQT segment lists them, each 1 to 32767.
struct EncoderQuantTable {
    std::array<std::int32_t, kBlockSize> values{};
    bool sent = false;

    bool NeedsSixteenBits() const;
};

// A Huffman table as DHT carries it: code counts per length 1..16, then the symbols in code order.
struct EncoderHuffTable {
    std::array<std::uint8_t, 16> counts{};
    std::array<std::uint8_t, 256> symbols{};
    bool sent = false;

    int SymbolCount() const;
};

// Sets table 0 (luminance) and table 1 (chrominance) from the typical tables for a quality:
// below 1 counts as 1, above 100 as 100; 50 gives the typical tables themselves.
void SetQualityTables(std::int32_t quality, bool forceBaseline, std::array<EncoderQuantTable, 2>& tables);

// The typical Huffman tables: DC and AC, each for luminance (0) and chrominance (1).
void LoadTypicalHuffTables(std::array<EncoderHuffTable, 2>& dc, std::array<EncoderHuffTable, 2>& ac);

}  // namespace jpeg
