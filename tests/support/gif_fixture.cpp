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

}  // namespace

LzwCodeWidths::LzwCodeWidths(int minimumCodeSize)
    : minimumCodeSize_(minimumCodeSize), width_(minimumCodeSize + 1), next_((1 << minimumCodeSize) + 2) {}

void LzwCodeWidths::Saw(int code) {
    const int clear = 1 << minimumCodeSize_;
    if (code == clear) {
        width_ = minimumCodeSize_ + 1;
        next_ = clear + 2;
        first_ = true;
        return;
    }
    if (code == clear + 1) return;
    if (!first_ && next_ < 4096 && ++next_ == 1 << width_ && width_ < 12) ++width_;
    first_ = false;
}

Bytes PackCodes(const std::vector<int>& codes, int minimumCodeSize) {
    Bytes packed;
    LzwCodeWidths widths(minimumCodeSize);
    std::uint32_t bits = 0;
    int count = 0;
    for (int code : codes) {
        bits |= std::uint32_t(code) << count;
        count += widths.width();
        widths.Saw(code);
        for (; count >= 8; count -= 8, bits >>= 8) packed.push_back(std::uint8_t(bits));
    }
    if (count > 0) packed.push_back(std::uint8_t(bits));
    return packed;
}

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

Bytes LargestGif() {
    return Join({GifHeader("GIF89a", 65500, 1024, {{0, 0, 0}, {255, 255, 255}}),
                 GifImageDescriptor(0, 0, 65500, 1024, false, {}), GifImageData(2, {4, 5}), Bytes{0x3B}});
}
