#include "tests/support/webp_fixture.h"

#include <webp/encode.h>

#include <cstring>

namespace {

Bytes Le24(std::uint32_t value) {
    return {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16)};
}

Bytes Le32(std::uint32_t value) {
    return Join({Le24(value), {std::uint8_t(value >> 24)}});
}

}  // namespace

Bytes EncodeRgbaWebp(const std::vector<Rgba>& pixels, int width, bool lossy) {
    const int height = int(pixels.size()) / width;
    WebPConfig config;
    WebPPicture picture;
    if (!WebPConfigInit(&config) || !WebPPictureInit(&picture)) return {};
    config.lossless = lossy ? 0 : 1;
    config.quality = 90;
    config.exact = 1;
    picture.use_argb = 1;
    picture.width = width;
    picture.height = height;
    if (!WebPPictureAlloc(&picture)) return {};
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const Rgba& p = pixels[i];
        picture.argb[i / std::size_t(width) * std::size_t(picture.argb_stride) + i % std::size_t(width)] =
            std::uint32_t(p.a) << 24 | std::uint32_t(p.r) << 16 | std::uint32_t(p.g) << 8 | p.b;
    }
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &writer;
    const bool encoded = WebPEncode(&config, &picture) != 0;
    WebPPictureFree(&picture);
    Bytes file = encoded ? Bytes(writer.mem, writer.mem + writer.size) : Bytes();
    WebPMemoryWriterClear(&writer);
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
