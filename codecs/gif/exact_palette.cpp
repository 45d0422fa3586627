// The exact palette copy of a picture with at most 256 colours.
#include <array>
#include <cstring>

#include "codecs/gif/palette_reduction.h"
#include "codecs/gif/true_colour_source.h"

namespace {

constexpr std::uint32_t kMaxColours = 256;

std::uint32_t ColourAt(const BYTE* pixel) {
    return pixel[0] | pixel[1] << 8 | std::uint32_t{pixel[2]} << 16;
}

// Colours (blue in the low byte) in the order first met, found again through a small
// open-addressing table.
class ColourList {
  public:
    ColourList() { slots_.fill(kEmpty); }

    // The colour's index, appending it when new; -1 when the list is full.
    int IndexOf(std::uint32_t colour) {
        std::uint32_t at = (colour * 0x9E3779B1u) >> (32 - kSlotBits);
        while (slots_[at] != kEmpty) {
            if (colours_[slots_[at]] == colour) return slots_[at];
            at = (at + 1) & (kSlots - 1);
        }
        if (count_ == kMaxColours) return -1;
        colours_[count_] = colour;
        slots_[at] = static_cast<std::uint16_t>(count_);
        return static_cast<int>(count_++);
    }
    std::uint32_t count() const { return count_; }
    std::uint32_t colour(std::uint32_t i) const { return colours_[i]; }

  private:
    static constexpr int kSlotBits = 10;
    static constexpr std::uint32_t kSlots = 1u << kSlotBits;
    static constexpr std::uint16_t kEmpty = 0xFFFF;
    std::array<std::uint16_t, kSlots> slots_;
    std::array<std::uint32_t, kMaxColours> colours_{};
    std::uint32_t count_ = 0;
};

// Calls `visit(x, index)` for each pixel of a stored row, or stops with false when the
// colours overflow the list.
template <typename Visit>
bool ForEachIndex(const BYTE* row, std::int32_t width, ColourList& list, Visit visit) {
    std::uint32_t last = ColourAt(row) + 1;  // differs from the first colour
    int index = 0;
    for (std::int32_t x = 0; x < width; ++x) {
        const std::uint32_t colour = ColourAt(row + 3 * std::size_t(x));
        if (colour != last) {
            index = list.IndexOf(colour);
            if (index < 0) return false;
            last = colour;
        }
        visit(x, index);
    }
    return true;
}

int DepthFor(std::uint32_t colours) {
    return colours <= 2 ? 1 : colours <= 16 ? 4 : 8;
}

}  // namespace

PackedBitmap ReduceToExactPalette(PackedBitmap source) {
    const TrueColourSource picture(source);
    if (!picture) return nullptr;
    const std::int32_t width = picture.width(), height = picture.height();

    ColourList list;
    for (std::int32_t i = 0; i < height; ++i) {
        if (!ForEachIndex(picture.Row(i), width, list, [](std::int32_t, int) {})) return nullptr;
    }
    const std::uint32_t colours = list.count();
    if (colours == 0) return nullptr;

    const int depth = DepthFor(colours);
    GlobalBlock result = AllocatePackedBitmap(width, height, depth, colours);
    BitmapLock header(result.get());
    if (!header) return nullptr;
    RGBQUAD* table = ColourTable(header.data());
    for (std::uint32_t i = 0; i < colours; ++i) {
        const std::uint32_t c = list.colour(i);
        table[i] = RGBQUAD{BYTE(c), BYTE(c >> 8), BYTE(c >> 16), 0};
    }
    const std::size_t stride = RowBytes(depth, width);
    BYTE* rows = PixelRows(header.data());
    for (std::int32_t i = 0; i < height; ++i) {
        BYTE* out = rows + stride * std::size_t(i);
        const BYTE* in = picture.Row(i);
        switch (depth) {
            case 1:
                ForEachIndex(in, width, list, [out](std::int32_t x, int index) {
                    out[x >> 3] = BYTE(out[x >> 3] | index << (7 - (x & 7)));
                });
                break;
            case 4:
                ForEachIndex(in, width, list, [out](std::int32_t x, int index) {
                    out[x >> 1] = BYTE(out[x >> 1] | index << ((x & 1) ? 0 : 4));
                });
                break;
            default:
                ForEachIndex(in, width, list, [out](std::int32_t x, int index) { out[x] = BYTE(index); });
                break;
        }
    }
    return result.release();
}
