#include "codecs/avif/avif_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "codecs/avif/avif_writer.h"
#include "tests/support/avif_fixture.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/synthetic_picture.h"

namespace {

struct ReadResult {
    AvifReadStatus status;
    GlobalBlock bitmap;
};

// Reads the bytes as a file and, to the same effect, from memory.
ReadResult ReadAvif(const Bytes& file, std::uint32_t background) {
    TempFolder folder;
    WriteBytes(folder.File("in.avif"), file);
    PackedBitmap read = nullptr, decoded = nullptr;
    const AvifReadStatus status = ReadAvifFile(&read, folder.File("in.avif").c_str(), background);
    EXPECT_EQ(DecodeAvif(&decoded, file.data(), file.size(), background), status);
    GlobalBlock fromMemory(decoded);
    return ReadResult{status, GlobalBlock(read)};
}

Bytes Written(PackedBitmap picture) {
    std::vector<std::uint8_t> bytes;
    EncodeAvif(picture, AvifEncoding::Lossless(), &bytes);
    return bytes;
}

}  // namespace

// What it shows, top row first, over the background o; what it refuses, with the reason. The
// pictures are coded losslessly, so that every pixel is known.
TEST(AvifReader, ComposesOverTheBackgroundOrRefusesWithTheReason) {
    const Rgb o{0, 128, 255}, r{255, 0, 0}, ochre{200, 100, 0}, b{0, 0, 255};
    const std::vector<Rgb> quarters = {r, r, b, b, r, r, b, b, ochre, ochre, o, o};  // 4 x 3
    GlobalBlock four = MakeBitmap24(4, 3, [&](int x, int y) { return quarters[std::size_t(y * 4 + x)]; });
    GlobalBlock ochres = MakeBitmap24(3, 1, [&](int, int) { return ochre; });
    GlobalBlock opacity = MakeBitmap24(3, 1, [](int x, int) {
        const std::uint8_t a = x == 0 ? 0 : x == 1 ? 255 : 128;
        return Rgb{a, a, a};
    });
    auto tile = [](Rgb colour) {
        GlobalBlock two = MakeBitmap24(2, 2, [colour](int, int) { return colour; });
        return Av1Picture(two.get(), true);
    };
    const Bytes picture = Av1Picture(four.get(), true), single = Written(four.get());
    const AvifItem withAlpha[] = {{"av01", Av1Picture(ochres.get(), true), 3, 1, {}, false, true},
                                  {"av01", Av1Picture(opacity.get(), true), 3, 1, {}, true, true}};
    // Four 2 x 2 tiles for a 3 x 3 picture: the right column and the bottom row are cut.
    const std::vector<AvifItem> grid = {{"grid", AvifGrid(2, 2, 3, 3), 0, 0, {2, 3, 4, 5}, false, true},
                                        {"av01", tile(r), 2, 2, {}, false, true},
                                        {"av01", tile(b), 2, 2, {}, false, true},
                                        {"av01", tile(ochre), 2, 2, {}, false, true},
                                        {"av01", tile(o), 2, 2, {}, false, true}};
    std::vector<AvifItem> shortGrid = grid;
    shortGrid[0].tiles.pop_back();
    Bytes heic = single;
    for (std::size_t brand : {8, 16}) std::copy_n("heic", 4, heic.begin() + std::ptrdiff_t(brand));
    // A 64 x 64 picture's data over and over: more frames than the decoder may work through.
    GlobalBlock flat = MakeBitmap24(64, 64, [&](int, int) { return ochre; });
    const Bytes frame = Av1Picture(flat.get(), false);
    Bytes repeated;
    for (int i = 0; i < 2 * 16384 + 1; ++i) repeated.insert(repeated.end(), frame.begin(), frame.end());
    const struct {
        const char* name;
        Bytes file;
        AvifReadStatus status;
        int width = 0;
        std::vector<Rgb> expected = {};
    } cases[] = {
        {"with alpha", AvifFile({withAlpha[0], withAlpha[1]}), kAvifReadOk, 3, {o, ochre, {100, 114, 127}}},
        {"a grid", AvifFile(grid), kAvifReadOk, 3, {r, r, b, r, r, b, ochre, ochre, o}},
        {"a sequence", AvifSequence(picture, 4, 3), kAvifReadOk, 4, quarters},
        {"empty", {}, kAvifNotAvif},
        {"a HEIF file of another brand", heic, kAvifNotAvif},
        {"truncated", Bytes(single.begin(), single.end() - 20), kAvifTruncated},
        {"no size", AvifFile({{"av01", picture, 0, 0, {}}}), kAvifBroken},
        {"a grid short of tiles", AvifFile(shortGrid), kAvifBroken},
        {"a picture of another coding", AvifFile({{"hvc1", picture, 4, 3, {}}}), kAvifUnsupported},
        {"wider than 65500", AvifFile({{"av01", picture, 65501, 1, {}}}), kAvifTooLarge},
        {"more pixels than 2^26", AvifFile({{"av01", picture, 8193, 8192, {}}}), kAvifTooLarge},
        {"more frames than the budget", AvifFile({{"av01", repeated, 64, 64, {}}}), kAvifTooLarge},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult read = ReadAvif(c.file, 0xFF8000);
        ASSERT_EQ(read.status, c.status) << AvifStatusText(read.status);
        ASSERT_EQ(bool(read.bitmap), c.status == kAvifReadOk);
        if (!read.bitmap) continue;
        BitmapLock header(read.bitmap.get());
        ASSERT_EQ(header->biWidth, c.width);
        ASSERT_EQ(header->biHeight, int(c.expected.size()) / c.width);
        for (std::size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(PixelOf(read.bitmap.get(), int(i) % c.width, int(i) / c.width), c.expected[i]) << i;
    }
    PackedBitmap read = nullptr;
    EXPECT_EQ(ReadAvifFile(&read, "no such file.avif", 0), kAvifCannotRead);
}

#ifdef KORVI_AVIF_ORACLE
#include <avif/avif.h>

// Files libavif writes in each depth, chroma layout, range and matrix, with and without alpha,
// read as libavif's own conversion shows them (bilinear chroma, composed over the background).
TEST(AvifReader, ReadsEveryCodingAsLibavifConvertsIt) {
    const struct {
        int depth;
        avifPixelFormat layout;
        avifRange range;
        int matrix;
        bool alpha;
    } cases[] = {
        {10, AVIF_PIXEL_FORMAT_YUV420, AVIF_RANGE_LIMITED, 1, false},
        {8, AVIF_PIXEL_FORMAT_YUV400, AVIF_RANGE_FULL, 6, false},
        {12, AVIF_PIXEL_FORMAT_YUV444, AVIF_RANGE_FULL, 9, false},
        {8, AVIF_PIXEL_FORMAT_YUV422, AVIF_RANGE_LIMITED, 6, true},
        {8, AVIF_PIXEL_FORMAT_YUV444, AVIF_RANGE_FULL, 8, false},
        {10, AVIF_PIXEL_FORMAT_YUV420, AVIF_RANGE_FULL, 6, true},
    };
    const int width = 67, height = 45;
    const ColourAt natural = NaturalPicture(width, height);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.depth) + " bits, layout " + std::to_string(c.layout) + ", matrix " +
                     std::to_string(c.matrix));
        avifImage* image = avifImageCreate(width, height, std::uint32_t(c.depth), c.layout);
        image->yuvRange = c.range;
        image->matrixCoefficients = avifMatrixCoefficients(c.matrix);
        avifRGBImage rgb;
        avifRGBImageSetDefaults(&rgb, image);
        rgb.depth = 8;
        avifRGBImageAllocatePixels(&rgb);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const Rgb colour = natural(x, y);
                std::uint8_t* p = rgb.pixels + std::size_t(y) * rgb.rowBytes + std::size_t(x) * 4;
                p[0] = colour.r, p[1] = colour.g, p[2] = colour.b;
                p[3] = std::uint8_t(c.alpha ? x * 4 : 255);
            }
        ASSERT_EQ(avifImageRGBToYUV(image, &rgb), AVIF_RESULT_OK);
        avifEncoder* encoder = avifEncoderCreate();
        encoder->speed = 9;
        avifRWData file = AVIF_DATA_EMPTY;
        ASSERT_EQ(avifEncoderWrite(encoder, image, &file), AVIF_RESULT_OK);

        avifDecoder* decoder = avifDecoderCreate();
        ASSERT_EQ(avifDecoderReadMemory(decoder, image, file.data, file.size), AVIF_RESULT_OK);
        rgb.avoidLibYUV = AVIF_TRUE;
        rgb.chromaUpsampling = AVIF_CHROMA_UPSAMPLING_BILINEAR;
        ASSERT_EQ(avifImageYUVToRGB(image, &rgb), AVIF_RESULT_OK);
        const ReadResult read = ReadAvif(Bytes(file.data, file.data + file.size), 0xFF8000);
        ASSERT_EQ(read.status, kAvifReadOk) << AvifStatusText(read.status);
        const int under[3] = {0x00, 0x80, 0xFF};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* p = rgb.pixels + std::size_t(y) * rgb.rowBytes + std::size_t(x) * 4;
                std::uint8_t expected[3];
                for (int k = 0; k < 3; ++k)
                    expected[k] = std::uint8_t((p[k] * p[3] + under[k] * (255 - p[3]) + 127) / 255);
                ASSERT_EQ(PixelOf(read.bitmap.get(), x, y), (Rgb{expected[0], expected[1], expected[2]}))
                    << x << ", " << y;
            }
        avifRWDataFree(&file);
        avifDecoderDestroy(decoder);
        avifEncoderDestroy(encoder);
        avifRGBImageFreePixels(&rgb);
        avifImageDestroy(image);
    }
}
#endif
