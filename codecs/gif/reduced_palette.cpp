#include "codecs/gif/reduced_palette.h"

#include <algorithm>
#include <memory>
#include <new>

#include "codecs/gif/true_colour_source.h"

namespace {

constexpr int kBlackKey = 0x000, kWhiteKey = 0xFFF;

struct HueSlot {
    int firstKey = -1;
    int bestKey = -1;
    int bestChroma = -1;
};

// Channel value to its nibble, already at its place in the cell key.
struct CellLookup {
    std::array<std::uint16_t, 256> red, green, blue;
    CellLookup() {
        for (int v = 0; v < 256; ++v) {
            red[v] = static_cast<std::uint16_t>(CellNibble(v) << 4);
            green[v] = static_cast<std::uint16_t>(CellNibble(v) << 8);
            blue[v] = static_cast<std::uint16_t>(CellNibble(v));
        }
    }
    int KeyOf(const BYTE* bgr) const { return green[bgr[1]] | red[bgr[2]] | blue[bgr[0]]; }
};

// Counts, per cell, how often the walk through the pixels enters it from another cell; the
// walk goes on across row ends and the first pixel's own run is not counted.
void CountRuns(const TrueColourSource& picture, ColourCell* cells) {
    static const CellLookup lookup;
    int previous = lookup.KeyOf(picture.Row(0));
    for (std::int32_t i = 0; i < picture.height(); ++i) {
        const BYTE* row = picture.Row(i);
        for (std::int32_t x = 0; x < picture.width(); ++x) {
            const int key = lookup.KeyOf(row + 3 * std::size_t(x));
            cells[key].runCount += key != previous;
            previous = key;
        }
    }
}

// The first cell met of each hue, from the highest key down, goes into the palette at once;
// the most vivid of the others (the higher key on a tie) follows, slot by slot.
void AddHueCells(ColourCell* cells, Palette& palette) {
    std::array<HueSlot, kHueSlotCount> slots;
    for (int key = kCellCount - 1; key >= 0; --key) {
        ColourCell& cell = cells[key];
        if (cell.runCount <= 0) continue;
        HueSlot& slot = slots[cell.hueSlot];
        if (slot.firstKey < 0) {
            slot.firstKey = key;
            palette.Append(CellColour(key));
            cell.runCount = 0;
        } else if (cell.chroma > slot.bestChroma) {
            slot.bestKey = key;
            slot.bestChroma = cell.chroma;
        }
    }
    for (const HueSlot& slot : slots) {
        if (slot.bestKey < 0) continue;
        palette.Append(CellColour(slot.bestKey));
        cells[slot.bestKey].runCount = 0;
    }
}

int Brightness(const PaletteColour& c) {
    return c.r + c.g + c.b;
}

}  // namespace

std::optional<Palette> BuildReducedPalette(PackedBitmap source) {
    const TrueColourSource picture(source);
    if (!picture) return std::nullopt;
    std::unique_ptr<ColourCell[]> cells(new (std::nothrow) ColourCell[kCellCount]);
    if (!cells) return std::nullopt;
    for (int key = 0; key < kCellCount; ++key) cells[key] = DescribeCell(key);
    CountRuns(picture, cells.get());

    Palette palette;
    palette.Append(PaletteColour{0, 0, 0});
    palette.Append(PaletteColour{255, 255, 255});
    cells[kBlackKey].runCount = 0;
    cells[kWhiteKey].runCount = 0;
    AddHueCells(cells.get(), palette);

    // Most runs first; among equal counts the higher key first.
    ColourCell* const end = cells.get() + kCellCount;
    std::stable_sort(cells.get(), end,
                     [](const ColourCell& a, const ColourCell& b) { return a.runCount < b.runCount; });
    for (ColourCell* cell = end; cell != cells.get() && !palette.IsFull();) {
        --cell;
        if (cell->runCount <= 0) break;
        palette.Append(CellColour(cell->key));
    }

    std::stable_sort(
        palette.colours.begin(), palette.colours.begin() + palette.count,
        [](const PaletteColour& a, const PaletteColour& b) { return Brightness(a) < Brightness(b); });
    return palette;
}
