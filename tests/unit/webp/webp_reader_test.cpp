#include "codecs/webp/webp_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/bitmap_builder.h"
#include "tests/support/webp_fixture.h"

namespace {

struct ReadResult {
    WebpReadStatus status;
    GlobalBlock bitmap;
};

// Reads the bytes as a file and, to the same effect, from memory.
ReadResult ReadWebp(const Bytes& file, std::uint32_t background) {
    TempFolder folder;
    WriteBytes(folder.File("in.webp"), file);
    PackedBitmap read = reinterpret_cast<PackedBitmap>(8), decoded = read;
    const WebpReadStatus status = ReadWebpFile(&read, folder.File("in.webp").c_str(), background);
    GlobalBlock fromMemory;
    EXPECT_EQ(DecodeWebp(&decoded, file.data(), file.size(), background), status);
    fromMemory.reset(decoded);
    return ReadResult{status, GlobalBlock(read)};
}

}  // namespace

// What it shows, top row first, over the background o; what it refuses, with the reason.
TEST(WebpReader, ComposesOverTheBackgroundOrRefusesWithTheReason) {
    const Rgb o{0, 128, 255}, r{255, 0, 0}, ochre{200, 100, 0};
    const std::vector<Rgba> transparent = {{10, 20, 30, 0}, {200, 100, 0, 255}, {200, 100, 0, 128}};
    const Rgba red{255, 0, 0, 255};
    // A frame with a transparent pixel at (2, 2), and a second frame that is not shown.
    const Bytes animation = WebpAnimation(4, 4,
                                          {{2, 2, 2, 2, EncodeRgbaWebp({{255, 0, 0, 0}, red, red, red}, 2)},
                                           {0, 0, 4, 4, EncodeRgbaWebp(std::vector<Rgba>(16, red), 4)}});
    const Bytes lossy = EncodeRgbaWebp(transparent, 3, true), lossless = EncodeRgbaWebp(transparent, 3);
    Bytes badSignature = lossless, wave = WebpRiff(WebpChunk("fmt ", Bytes(16, 1)));
    badSignature[20] ^= 0xFF;  // the VP8L signature byte
    std::memcpy(wave.data() + 8, "WAVE", 4);
    const struct {
        const char* name;
        Bytes file;
        WebpReadStatus status;
        int width = 0;
        std::vector<Rgb> expected = {};
    } cases[] = {
        {"with alpha", lossless, kWebpReadOk, 3, {o, ochre, {100, 114, 127}}},
        {"opaque", EncodeRgbaWebp({red, {0, 0, 255, 255}}, 1), kWebpReadOk, 1, {r, {0, 0, 255}}},
        {"animation", animation, kWebpReadOk, 4, {o, o, o, o, o, o, o, o, o, o, o, r, o, o, r, r}},
        {"empty", {}, kWebpNotWebp},
        {"a RIFF that is not WebP", wave, kWebpNotWebp},
        {"only the RIFF header", Bytes(lossy.begin(), lossy.begin() + 12), kWebpTruncated},
        {"a RIFF size below its header",
         Join({Bytes{'R', 'I', 'F', 'F', 2, 0, 0, 0}, Bytes(lossy.begin() + 8, lossy.end())}), kWebpBroken},
        {"truncated", Bytes(lossy.begin(), lossy.begin() + std::ptrdiff_t(lossy.size() / 2)), kWebpTruncated},
        {"a broken lossless signature", badSignature, kWebpBroken},
        {"an animation without frames", WebpAnimation(4, 4, {}), kWebpBroken},
        {"a frame beyond the canvas",
         WebpAnimation(6, 4, {{4, 0, 4, 1, EncodeRgbaWebp({red, red, red, red}, 4)}}), kWebpBroken},
        // A lossless header of 16383 x 16383 pixels and nothing behind it.
        {"more pixels than 2^26", WebpRiff(WebpChunk("VP8L", Bytes{0x2F, 0xFE, 0xFF, 0xFF, 0x0F, 0, 0, 0})),
         kWebpTooLarge},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult read = ReadWebp(c.file, 0xFF8000);
        ASSERT_EQ(read.status, c.status) << WebpStatusText(read.status);
        ASSERT_EQ(bool(read.bitmap), c.status == kWebpReadOk);
        if (!read.bitmap) continue;
        BitmapLock header(read.bitmap.get());
        ASSERT_EQ(header->biBitCount, 24);
        ASSERT_EQ(header->biWidth, c.width);
        ASSERT_EQ(header->biHeight, int(c.expected.size()) / c.width);
        for (std::size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(PixelOf(read.bitmap.get(), int(i) % c.width, int(i) / c.width), c.expected[i]) << i;
    }
    PackedBitmap read = nullptr;
    EXPECT_EQ(ReadWebpFile(&read, "no such file.webp", 0), kWebpCannotRead);
}
