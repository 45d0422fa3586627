#include "tests/support/webp_fixture.h"

#include <webp/encode.h>

namespace {

Bytes Le24(std::uint32_t value) {
    return {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16)};
}

Bytes Le32(std::uint32_t value) {
    return Join({Le24(value), {std::uint8_t(value >> 24)}});
}

}  // namespace

Bytes EncodeRgbaWebp(const std::vector<Rgba>& pixels, int width, bool lossy) {
    static_assert(sizeof(Rgba) == 4, "pixels are packed red, green, blue, alpha");
    const auto* rgba = reinterpret_cast<const std::uint8_t*>(pixels.data());
    const int height = int(pixels.size()) / width;
    std::uint8_t* out = nullptr;
    const std::size_t size = lossy ? WebPEncodeRGBA(rgba, width, height, width * 4, 90, &out)
                                   : WebPEncodeLosslessRGBA(rgba, width, height, width * 4, &out);
    Bytes file(out, out + size);
    WebPFree(out);
    return file;
}

Bytes WebpChunk(const char* fourcc, const Bytes& payload) {
    Bytes chunk = Join({Bytes(fourcc, fourcc + 4), Le32(std::uint32_t(payload.size())), payload});
    if (payload.size() % 2) chunk.push_back(0);
    return chunk;
}

Bytes WebpRiff(const Bytes& chunks) {
    return Join({Bytes{'R', 'I', 'F', 'F'}, Le32(std::uint32_t(chunks.size() + 4)), Bytes{'W', 'E', 'B', 'P'},
                 chunks});
}

Bytes WebpAnimation(int canvasWidth, int canvasHeight, const std::vector<AnimationFrame>& frames) {
    constexpr std::uint8_t kAnimationFlag = 0x02, kAlphaFlag = 0x10;
    Bytes chunks = Join({WebpChunk("VP8X", Join({{std::uint8_t(kAnimationFlag | kAlphaFlag), 0, 0, 0},
                                                 Le24(std::uint32_t(canvasWidth - 1)),
                                                 Le24(std::uint32_t(canvasHeight - 1))})),
                         WebpChunk("ANIM", Bytes{0, 0, 0, 0, 0, 0})});  // background, loop count
    for (const AnimationFrame& frame : frames) {
        // The still file's chunks behind its RIFF header are the frame's data.
        const Bytes data(frame.still.begin() + 12, frame.still.end());
        const Bytes header = Join({Le24(std::uint32_t(frame.left / 2)), Le24(std::uint32_t(frame.top / 2)),
                                   Le24(std::uint32_t(frame.width - 1)),
                                   Le24(std::uint32_t(frame.height - 1)), Le24(100), Bytes{0}});
        chunks = Join({chunks, WebpChunk("ANMF", Join({header, data}))});
    }
    return WebpRiff(chunks);
}
