#include "tests/support/gif_fixture.h"

#include <algorithm>
#include <cstring>

namespace {

void PutWord(Bytes* out, int value) {
    out->push_back(std::uint8_t(value));
    out->push_back(std::uint8_t(value >> 8));
}

// The table's size flags (entries = 2 << flags) and its entries, padded with black.
int PutTable(Bytes* out, const std::vector<Rgb>& table) {
    int bits = 0;
    while ((std::size_t{2} << bits) < table.size()) ++bits;
    for (std::size_t i = 0; i < std::size_t{2} << bits; ++i) {
        const Rgb c = i < table.size() ? table[i] : Rgb{0, 0, 0};
        out->insert(out->end(), {c.r, c.g, c.b});
    }
    return bits;
}

// Bytes as sub-blocks of at most 255 bytes, closed by a zero-length block.
Bytes SubBlocks(const Bytes& data) {
    Bytes out;
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::size_t length = std::min<std::size_t>(255, data.size() - at);
        out.push_back(std::uint8_t(length));
        out.insert(out.end(), data.begin() + std::ptrdiff_t(at), data.begin() + std::ptrdiff_t(at + length));
    }
    out.push_back(0);
    return out;
}

// The codes packed least significant bit first at the widths a decoder reads them with: every
// code but a clear, the end and the first after a clear adds a table entry, and the width grows
// when the next entry needs one more bit.
Bytes PackCodes(const std::vector<int>& codes, int minimumCodeSize) {
    const int clear = 1 << minimumCodeSize;
    int width = minimumCodeSize + 1, next = clear + 2;
    bool first = true;
    Bytes packed;
    std::uint32_t bits = 0;
    int count = 0;
    for (int code : codes) {
        bits |= std::uint32_t(code) << count;
        count += width;
        for (; count >= 8; count -= 8, bits >>= 8) packed.push_back(std::uint8_t(bits));
        if (code == clear) {
            width = minimumCodeSize + 1;
            next = clear + 2;
            first = true;
        } else if (code != clear + 1) {
            if (!first && next < 4096 && ++next == 1 << width && width < 12) ++width;
            first = false;
        }
    }
    if (count > 0) packed.push_back(std::uint8_t(bits));
    return packed;
}

}  // namespace

Bytes GifHeader(const char* signature, int width, int height, const std::vector<Rgb>& table) {
    Bytes out(signature, signature + std::strlen(signature));
    PutWord(&out, width);
    PutWord(&out, height);
    out.insert(out.end(), {0, 0, 0});
    if (!table.empty()) out[10] = std::uint8_t(0xF0 | PutTable(&out, table));
    return out;
}

Bytes GifImageDescriptor(int left, int top, int width, int height, bool interlaced,
                         const std::vector<Rgb>& table) {
    Bytes out{0x2C};
    for (int value : {left, top, width, height}) PutWord(&out, value);
    out.push_back(interlaced ? 0x40 : 0);
    if (!table.empty()) out[9] = std::uint8_t(out[9] | 0x80 | PutTable(&out, table));
    return out;
}

Bytes GifImageData(int minimumCodeSize, const std::vector<int>& codes) {
    return Join({Bytes{std::uint8_t(minimumCodeSize)}, SubBlocks(PackCodes(codes, minimumCodeSize))});
}

Bytes GifExtension(int label, const Bytes& data) {
    return Join({Bytes{0x21, std::uint8_t(label)}, SubBlocks(data)});
}

Bytes LargestGif() {
    return Join({GifHeader("GIF89a", 65500, 1024, {{0, 0, 0}, {255, 255, 255}}),
                 GifImageDescriptor(0, 0, 65500, 1024, false, {}), GifImageData(2, {4, 5}), Bytes{0x3B}});
}
