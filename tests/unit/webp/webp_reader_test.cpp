#include "codecs/webp/webp_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "codecs/webp/webp_writer.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/synthetic_picture.h"
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

Bytes Encoded(PackedBitmap bitmap, WebpEncoding encoding) {
    WebpBytes bytes;
    EXPECT_EQ(EncodeWebp(bitmap, encoding, &bytes), kWebpWritten);
    return Bytes(bytes.data.get(), bytes.data.get() + bytes.size);
}

Bytes Solid(int width, int height, Rgba colour) {
    return EncodeRgbaWebp(std::vector<Rgba>(std::size_t(width * height), colour), width);
}

}  // namespace

TEST(WebpReader, ComposesTransparencyAndAnAnimationsFirstFrameOverTheBackground) {
    const Rgb o{0, 128, 255}, r{255, 0, 0}, ochre{200, 100, 0};  // o: the background
    const std::vector<Rgba> transparent = {{10, 20, 30, 0}, {200, 100, 0, 255}, {200, 100, 0, 128}};
    const Rgba red{255, 0, 0, 255};
    // A frame with a transparent pixel at (2, 2), and a second frame that is not shown.
    const Bytes animation = WebpAnimation(
        4, 4,
        {{2, 2, 2, 2, EncodeRgbaWebp({{255, 0, 0, 0}, red, red, red}, 2)}, {0, 0, 4, 4, Solid(4, 4, red)}});
    const struct {
        const char* name;
        Bytes file;
        int width;
        std::vector<Rgb> expected;  // top row first
        int tolerance;
    } cases[] = {
        {"lossless with alpha", EncodeRgbaWebp(transparent, 3), 3, {o, ochre, {100, 114, 127}}, 0},
        // Colour is lossy, alpha lossless.
        {"lossy with alpha", EncodeRgbaWebp(transparent, 3, true), 3, {o, ochre, {100, 114, 127}}, 3},
        {"animation", animation, 4, {o, o, o, o, o, o, o, o, o, o, o, r, o, o, r, r}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult read = ReadWebp(c.file, 0xFF8000);
        ASSERT_EQ(read.status, kWebpReadOk);
        BitmapLock header(read.bitmap.get());
        ASSERT_EQ(header->biBitCount, 24);
        ASSERT_EQ(header->biWidth, c.width);
        ASSERT_EQ(header->biHeight, int(c.expected.size()) / c.width);
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            const Rgb got = PixelOf(read.bitmap.get(), int(i) % c.width, int(i) / c.width),
                      want = c.expected[i];
            EXPECT_TRUE(std::abs(got.r - want.r) <= c.tolerance && std::abs(got.g - want.g) <= c.tolerance &&
                        std::abs(got.b - want.b) <= c.tolerance)
                << "pixel " << i << ": " << int(got.r) << "," << int(got.g) << "," << int(got.b);
        }
    }
}

TEST(WebpReader, RefusesWhatIsNotAWholeWebpPictureWithinTheLimits) {
    const GlobalBlock photo = MakeBitmap24(64, 48, NaturalPicture(64, 48));
    const Bytes lossy = Encoded(photo.get(), WebpEncoding::Lossy(80)),
                lossless = Encoded(photo.get(), WebpEncoding::Lossless());
    Bytes badSignature = lossless;
    badSignature[20] ^= 0xFF;  // the VP8L signature byte
    const auto canvas = [](int width, int height) {
        return WebpAnimation(width, height, {{0, 0, 2, 2, Solid(2, 2, {1, 2, 3, 255})}});
    };
    Bytes wave = WebpRiff(WebpChunk("fmt ", Bytes(16, 1)));
    std::memcpy(wave.data() + 8, "WAVE", 4);
    const struct {
        const char* name;
        Bytes file;
        WebpReadStatus status;
    } cases[] = {
        {"empty", {}, kWebpNotWebp},
        {"a RIFF that is not WebP", wave, kWebpNotWebp},
        {"only the RIFF header", Bytes(lossy.begin(), lossy.begin() + 12), kWebpTruncated},
        {"a RIFF size below its header",
         Join({Bytes{'R', 'I', 'F', 'F', 2, 0, 0, 0}, Bytes(lossy.begin() + 8, lossy.end())}), kWebpBroken},
        {"truncated", Bytes(lossy.begin(), lossy.begin() + std::ptrdiff_t(lossy.size() / 2)), kWebpTruncated},
        {"a broken lossless signature", badSignature, kWebpBroken},
        {"an animation without frames", WebpAnimation(4, 4, {}), kWebpBroken},
        {"a frame beyond the canvas", WebpAnimation(6, 4, {{4, 0, 4, 1, Solid(4, 1, {1, 2, 3, 255})}}),
         kWebpBroken},
        {"a canvas wider than 65500", canvas(65501, 1), kWebpTooLarge},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult read = ReadWebp(c.file, 0xFFFFFF);
        EXPECT_EQ(read.status, c.status) << WebpStatusText(read.status);
        EXPECT_EQ(bool(read.bitmap), c.status == kWebpReadOk);
    }
    PackedBitmap read = nullptr;
    EXPECT_EQ(ReadWebpFile(&read, "no such file.webp", 0), kWebpCannotRead);
}
