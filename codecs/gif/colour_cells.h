// Colour cells: the 4096 boxes of 16 x 16 x 16 values the quantiser counts and matches in,
// and the six hue slots that keep rare but vivid colours in the palette.
#pragma once

#include <algorithm>
#include <cstdint>

constexpr int kCellCount = 4096;
constexpr int kHueSlotCount = 6;

struct PaletteColour {
    std::uint8_t r, g, b;
    bool operator==(const PaletteColour& other) const { return r == other.r && g == other.g && b == other.b; }
};

// 0 to 7 give 0, 8 to 23 give 1, ..., 232 to 255 give 15.
constexpr int CellNibble(int value) {
    return std::min(value + 8, 255) >> 4;
}

constexpr int CellKey(int r, int g, int b) {
    return CellNibble(g) << 8 | CellNibble(r) << 4 | CellNibble(b);
}

constexpr int CellRedNibble(int key) {
    return key >> 4 & 0xF;
}
constexpr int CellGreenNibble(int key) {
    return key >> 8 & 0xF;
}
constexpr int CellBlueNibble(int key) {
    return key & 0xF;
}

// The colour a cell contributes to a palette.
constexpr PaletteColour CellColour(int key) {
    return PaletteColour{static_cast<std::uint8_t>(CellRedNibble(key) * 16 + 7),
                         static_cast<std::uint8_t>(CellGreenNibble(key) * 16 + 7),
                         static_cast<std::uint8_t>(CellBlueNibble(key) * 16 + 7)};
}

// The point palette colours are matched against.
constexpr PaletteColour CellCentre(int key) {
    return PaletteColour{static_cast<std::uint8_t>(CellRedNibble(key) * 16 + 8),
                         static_cast<std::uint8_t>(CellGreenNibble(key) * 16 + 8),
                         static_cast<std::uint8_t>(CellBlueNibble(key) * 16 + 8)};
}

struct ColourCell {
    std::int32_t key;
    std::int32_t chroma;   // max - min of the nibbles, 0 to 15
    std::int32_t hueSlot;  // 0 to 5
    std::int32_t runCount;
};

// A cell's key, chroma and hue slot, with no runs counted.
ColourCell DescribeCell(int key);
