#include "codecs/gif/gif_layout.h"

namespace {

BYTE* PutWord(BYTE* out, std::uint16_t value) {
    out[0] = BYTE(value);
    out[1] = BYTE(value >> 8);
    return out + 2;
}

}  // namespace

int MinimumCodeSize(std::uint32_t colours) {
    int bits = 2;
    while (bits < 8 && colours > (1u << bits)) ++bits;
    return bits;
}

int ColourTableBits(std::uint32_t colours) {
    return colours == 2 ? 1 : MinimumCodeSize(colours);
}

std::size_t WriteGifPreamble(BYTE* out, std::uint16_t width, std::uint16_t height, const RGBQUAD* table,
                             std::uint32_t colours) {
    const int tableBits = ColourTableBits(colours);
    BYTE* p = out;
    for (const char* c = "GIF87a"; *c != 0; ++c) *p++ = BYTE(*c);
    p = PutWord(p, width);
    p = PutWord(p, height);
    *p++ = BYTE(0xF0 | (tableBits - 1));  // global table, colour resolution 7, unsorted
    *p++ = 0;                             // background colour
    *p++ = 0;                             // pixel aspect ratio
    for (std::uint32_t i = 0; i < (1u << tableBits); ++i) {
        const RGBQUAD entry = i < colours ? table[i] : RGBQUAD{0, 0, 0, 0};
        *p++ = entry.rgbRed;
        *p++ = entry.rgbGreen;
        *p++ = entry.rgbBlue;
    }
    *p++ = 0x2C;
    p = PutWord(p, 0);
    p = PutWord(p, 0);
    p = PutWord(p, width);
    p = PutWord(p, height);
    *p++ = 0x40;  // interlaced, no local table
    *p++ = BYTE(MinimumCodeSize(colours));
    return std::size_t(p - out);
}
