#include "codecs/gif/dither_mapping.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>

#include "codecs/gif/true_colour_source.h"

namespace {

// One channel triple of a colour with its error, in red, green, blue order.
struct Error {
    int r = 0, g = 0, b = 0;
};

// Nearest palette entry per cell, looked up once per cell.
class NearestCache {
  public:
    explicit NearestCache(const Palette& palette) : palette_(palette) { indices_.fill(-1); }

    // The index for each cell key, -1 while not searched.
    std::int16_t* indices() { return indices_.data(); }

    // Finds and remembers the nearest entry to the cell's centre; the lower index on a tie.
    int Search(int key) {
        const PaletteColour centre = CellCentre(key);
        int best = 0;
        std::uint32_t bestDistance = PaletteDistance(palette_.colours[0], centre);
        for (int i = 1; i < palette_.count; ++i) {
            const std::uint32_t distance = PaletteDistance(palette_.colours[i], centre);
            if (distance < bestDistance) {
                best = i;
                bestDistance = distance;
            }
        }
        indices_[std::size_t(key)] = static_cast<std::int16_t>(best);
        return best;
    }

  private:
    const Palette& palette_;
    std::array<std::int16_t, kCellCount> indices_;
};

// A channel value with its error to the bits it adds to a cell key, clamped to 0 to 255 first.
// Errors carried in stay within 130 either way, so values stay within -260 to 515.
class CellBits {
  public:
    static constexpr int kBias = 512;
    explicit CellBits(int shift) {
        for (int v = -kBias; v < kBias + 256; ++v) {
            bits_[std::size_t(v + kBias)] = std::uint16_t(CellNibble(std::clamp(v, 0, 255)) << shift);
        }
    }
    int operator()(int v) const { return bits_[std::size_t(v + kBias)]; }

  private:
    std::array<std::uint16_t, 2 * kBias + 256> bits_;
};

// Right shifts of negative values round toward minus infinity on every compiler this builds with.
static_assert((-3 >> 1) == -2, "arithmetic right shift");

}  // namespace

std::uint32_t PaletteDistance(PaletteColour colour, PaletteColour centre) {
    const int a = colour.r, b = colour.g, c = colour.b;
    const int d = centre.r, e = centre.g, f = centre.b;
    const std::uint32_t l1 = std::uint32_t(std::abs(a - d) + std::abs(b - e) + std::abs(c - f));
    std::uint32_t order = 0;
    if (!(a > b && d > e)) order |= 0x2000;
    if (!(a > c && d > f)) order |= 0x1000;
    if (!(b > a && e > d)) order |= 0x0800;
    if (!(b > c && e > f)) order |= 0x0400;
    if (!(c > a && f > d)) order |= 0x0200;
    if (!(c > b && f > e)) order |= 0x0100;
    const int range = std::max({a, b, c}) - std::min({a, b, c});
    const int centreRange = std::max({d, e, f}) - std::min({d, e, f});
    return l1 * 65536 + order + std::uint32_t(std::abs(range - centreRange));
}

PackedBitmap MapWithDither(PackedBitmap source, const Palette& palette) {
    const TrueColourSource picture(source);
    if (!picture || palette.count <= 0) return nullptr;
    const std::int32_t width = picture.width(), height = picture.height();

    GlobalBlock result = AllocatePackedBitmap(width, height, 8, std::uint32_t(palette.count));
    BitmapLock header(result.get());
    if (!header) return nullptr;
    RGBQUAD* table = ColourTable(header.data());
    for (int i = 0; i < palette.count; ++i) {
        const PaletteColour& c = palette.colours[i];
        table[i] = RGBQUAD{c.b, c.g, c.r, 0};
    }

    std::unique_ptr<NearestCache> cache(new (std::nothrow) NearestCache(palette));
    // The error handed up to the next row, per column.
    std::unique_ptr<Error[]> below(new (std::nothrow) Error[std::size_t(width)]);
    if (!cache || !below) return nullptr;

    static const CellBits kRedBits(4), kGreenBits(8), kBlueBits(0);
    std::int16_t* const nearest = cache->indices();
    const PaletteColour* const colours = palette.colours.data();
    Error* const errors = below.get();
    const std::size_t stride = RowBytes(8, width);
    BYTE* const rows = PixelRows(header.data());
    for (std::int32_t i = 0; i < height; ++i) {
        const BYTE* in = picture.Row(i);
        BYTE* out = rows + stride * std::size_t(i);
        const bool leftToRight = i % 2 == 0;
        Error carried;
        for (std::int32_t n = 0; n < width; ++n) {
            const std::int32_t x = leftToRight ? n : width - 1 - n;
            const BYTE* pixel = in + 3 * std::size_t(x);
            Error& error = errors[x];
            const int r = pixel[2] + error.r + carried.r;
            const int g = pixel[1] + error.g + carried.g;
            const int b = pixel[0] + error.b + carried.b;
            const int key = kRedBits(r) | kGreenBits(g) | kBlueBits(b);
            const int index = nearest[key] >= 0 ? nearest[key] : cache->Search(key);
            const PaletteColour chosen = colours[index];
            const int er = r - chosen.r, eg = g - chosen.g, eb = b - chosen.b;
            // Half the error, or a quarter when a channel is off by more than 128.
            const int shift = 1 + int((unsigned(er + 128) > 256u) | (unsigned(eg + 128) > 256u) |
                                      (unsigned(eb + 128) > 256u));
            carried = Error{er >> shift, eg >> shift, eb >> shift};
            error = carried;
            out[x] = BYTE(index);
        }
    }
    return result.release();
}
