// The quantiser's palette: black, white, the first and the most vivid cell of each hue, then
// the cells with the most runs, ordered by brightness.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "codecs/gif/colour_cells.h"
#include "core/packed_bitmap.h"

constexpr int kMaxPaletteColours = 256;

struct Palette {
    std::array<PaletteColour, kMaxPaletteColours> colours{};
    int count = 0;

    bool IsFull() const { return count == kMaxPaletteColours; }
    void Append(PaletteColour colour) { colours[count++] = colour; }
};

// 2 to 256 colours sorted by R + G + B; nothing for a source that is not a readable 24-bit
// picture or when memory is short.
std::optional<Palette> BuildReducedPalette(PackedBitmap source);
