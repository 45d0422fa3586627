// The encoder: its bytes pinned by known files, its output decoded again by both readers, palette
// input, and the bitmaps and paths it refuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "codecs/jpeg/jpeg_writer.h"
#include "tests/support/synthetic_picture.h"
#include "tests/unit/jpeg/jpeg_test_support.h"

namespace {

// Integer-only, so every build sees the same pixels: gradient, noise and a 4-pixel checker.
Rgb Mixed(int x, int y) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 2654435761u ^ static_cast<std::uint32_t>(y) * 40503u;
    h ^= h >> 15;
    return Rgb{std::uint8_t((x * 37 + y * 11) & 255), std::uint8_t(h & 255),
               std::uint8_t((x / 4 + y / 4) % 2 ? 200 : 40)};
}

std::uint64_t Fnv1a(const Bytes& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::uint8_t b : bytes) hash = (hash ^ b) * 0x100000001b3ull;
    return hash;
}

// Sizes and digests of the files that a separate, literal rendering of the algorithm (one
// pixel, one multiplication at a time) writes for these pictures; they pin the output byte
// for byte: segments, 8- and 16-bit tables, dummy blocks, edge padding, stuffing and trailer.
// Qualities outside 1 to 100 write the files of 1 and 100.
TEST(JpegStream, KnownPicturesGiveKnownFiles) {
    const struct {
        int width, height, quality;
        std::size_t size;
        std::uint64_t digest;
    } cases[] = {
        {1, 1, 50, 635, 0xccea806733acb593ull},     {17, 9, 75, 781, 0x6557ed44e5faa022ull},
        {16, 16, 10, 787, 0x4c01b593c4beab07ull},   {33, 31, 22, 1009, 0x44863111e5e14246ull},
        {40, 24, 100, 2788, 0x439911a87f630879ull}, {23, 37, 1, 781, 0xf8a3ec0cc85a8ae2ull},
        {40, 24, 150, 2788, 0x439911a87f630879ull}, {23, 37, 0, 781, 0xf8a3ec0cc85a8ae2ull},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " q" << c.quality);
        GlobalBlock bitmap = MakeBitmap24(c.width, c.height, Mixed);
        const Encoded encoded = EncodeJpeg(bitmap.get(), c.quality);
        EXPECT_EQ(encoded.result, 0);
        EXPECT_EQ(encoded.bytes.size(), c.size);
        EXPECT_EQ(Fnv1a(encoded.bytes), c.digest);
    }
}

// stb_image decodes the output close to the picture; korvi's reader decodes it close to stb_image.
TEST(JpegPicture, BothReadersDecodeItCloseToTheOriginal) {
    const ColourAt green = [](int, int) { return Rgb{0, 255, 0}; };
    const struct {
        const char* name;
        int width, height;
        ColourAt picture;
        int quality;
        double mean;  // just above the measured differences; halved chroma and noise keep them high
        int largest;
    } cases[] = {
        {"natural", 430, 323, NaturalPicture(430, 323), 90, 3.8, 135},
        {"natural, 16-bit tables", 203, 157, NaturalPicture(203, 157), 10, 10, 170},
        {"smooth", 160, 120, SmoothPicture(160, 120), 80, 0.85, 6},
        {"green", 19, 13, green, 100, 1, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GlobalBlock bitmap = MakeBitmap24(c.width, c.height, c.picture);
        const Encoded encoded = EncodeJpeg(bitmap.get(), c.quality);
        ASSERT_EQ(encoded.result, 0);
        const Decoded theirs = DecodeWithStb(encoded.bytes);
        ASSERT_EQ(theirs.width, c.width);
        ASSERT_EQ(theirs.height, c.height);
        Decoded original{c.width, c.height, {}}, ours;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) original.pixels.push_back(c.picture(x, y));
        const Difference d = Compare(theirs, original);
        EXPECT_LT(d.mean, c.mean);
        EXPECT_LE(d.largest, c.largest);
        ASSERT_EQ(DecodeWithKorvi(encoded.bytes, ours), 0);
        const Difference e = Compare(ours, theirs);
        EXPECT_LT(e.mean, 0.15);
        EXPECT_LE(e.largest, 3);
    }
}

TEST(JpegPicture, PaletteInputEncodesLikeItsTrueColourTwin) {
    std::vector<Rgb> palette;
    for (int i = 0; i < 256; ++i)
        palette.push_back(Rgb{std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 7)});
    const struct {
        int colours, width, height;
        int outOfTable;  // index used beyond the table, or -1
    } cases[] = {{256, 37, 21, -1}, {2, 3, 2, 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.colours);
        const std::vector<Rgb> colours(palette.begin(), palette.begin() + c.colours);
        const IndexAt index = [&](int x, int y) {
            return x == 1 && c.outOfTable >= 0 ? c.outOfTable : (x * 5 + y * 3) % c.colours;
        };
        GlobalBlock indexed = MakePaletteBitmap(8, c.width, c.height, colours, index);
        // An index beyond the table reads as black.
        GlobalBlock twin = MakeBitmap24(c.width, c.height, [&](int x, int y) {
            const int i = index(x, y);
            return i < c.colours ? colours[i] : Rgb{0, 0, 0};
        });
        const Encoded fromPalette = EncodeJpeg(indexed.get(), 80), fromTwin = EncodeJpeg(twin.get(), 80);
        EXPECT_EQ(fromPalette.result, 0);
        EXPECT_EQ(fromPalette.bytes, fromTwin.bytes);
    }
}

TEST(JpegFailure, UnwritablePathsAreReported) {
    TempFolder folder;
    GlobalBlock bitmap = MakeBitmap24(200, 150, NaturalPicture(200, 150));
    EXPECT_EQ(WriteJpegFile(bitmap.get(), folder.File("missing/out.jpg").c_str(), 75), kJpegCannotOpen);
    EXPECT_FALSE(FileExists(folder.File("missing")));
    EXPECT_EQ(WriteJpegFile(bitmap.get(), nullptr, 75), kJpegCannotOpen);
    std::FILE* full = std::fopen("/dev/full", "wb");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full here";
    std::fclose(full);
    EXPECT_EQ(WriteJpegFile(bitmap.get(), "/dev/full", 90), kJpegWriteFailed);
}

TEST(JpegFailure, RefusedBitmapsGiveTheirNumberAndWriteNoData) {
    // A 4 x 4 bitmap of that depth (none for 0) whose header is changed after it was built.
    const struct {
        const char* what;
        int depth;
        void (*change)(BITMAPINFOHEADER&);
        std::int32_t expected;
    } cases[] = {
        {"no bitmap", 0, nullptr, kJpegCannotLock},
        {"2 planes", 24, [](BITMAPINFOHEADER& h) { h.biPlanes = 2; }, kJpegBadPlanes},
        {"bit fields", 24, [](BITMAPINFOHEADER& h) { h.biCompression = BI_BITFIELDS; }, kJpegCompressed},
        {"300 colours", 8, [](BITMAPINFOHEADER& h) { h.biClrUsed = 300; }, kJpegTooManyColours},
        {"16 bits", 16, [](BITMAPINFOHEADER&) {}, kJpegBadDepth},
        {"width 0", 24, [](BITMAPINFOHEADER& h) { h.biWidth = 0; }, kJpegEmptyImage},
        {"height 0", 8, [](BITMAPINFOHEADER& h) { h.biHeight = 0; }, kJpegEmptyImage},
        {"width 65501", 24, [](BITMAPINFOHEADER& h) { h.biWidth = 65501; }, kJpegImageTooBig},
        {"height 70000", 24, [](BITMAPINFOHEADER& h) { h.biHeight = 70000; }, kJpegImageTooBig},
        {"top-down", 24, [](BITMAPINFOHEADER& h) { h.biHeight = -4; }, kJpegImageTooBig},
    };
    for (const auto& c : cases) {
        GlobalBlock bitmap = c.depth == 0 ? GlobalBlock() : AllocatePackedBitmap(4, 4, c.depth, c.depth == 8);
        if (c.change != nullptr) c.change(*BitmapLock(bitmap.get()).data());
        const Encoded encoded = EncodeJpeg(bitmap.get(), 75);
        EXPECT_EQ(encoded.result, c.expected) << c.what;
        EXPECT_TRUE(encoded.bytes.empty()) << c.what;
    }
}

}  // namespace
