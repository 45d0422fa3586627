#include "codecs/bmp/bmp_decoder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/bitmap_builder.h"
#include "tests/support/bmp_fixture.h"

namespace {

constexpr std::uint32_t kBackground = 0x336699;  // red 0x99, green 0x66, blue 0x33
constexpr Rgb kShown{0x99, 0x66, 0x33};
constexpr Rgb kRed{200, 10, 20}, kGreen{30, 210, 40}, kBlue{50, 60, 220};

struct DecodeCase {
    const char* name;
    Bytes file;
    BmpDecodeStatus status;
    int width = 0;
    std::vector<Rgb> pixels = {};  // top row first
};

// Colour-table entries, blue first.
Bytes Table(const std::vector<Rgb>& colours) {
    Bytes table;
    for (const Rgb& c : colours) table.insert(table.end(), {c.b, c.g, c.r, 0});
    return table;
}

Bytes Bmp(std::uint32_t headerSize, std::uint16_t depth, std::int32_t width, std::int32_t height, Bytes rows,
          const std::function<void(BmpFixture&)>& change = nullptr) {
    BmpFixture f;
    f.headerSize = headerSize, f.depth = depth, f.width = width, f.height = height, f.rows = std::move(rows);
    if (depth <= 8) f.colourTable = Table({kRed, kGreen, kBlue}), f.coloursUsed = 3;
    if (change) change(f);
    return BuildBmp(f);
}

std::vector<DecodeCase> DecodeCases() {
    const auto masks = [](std::uint32_t compression, std::vector<std::uint32_t> fields) {
        return [compression, fields](BmpFixture& f) { f.compression = compression, f.masks = fields; };
    };
    // The corpus holds the common variants, checked against Chromium; these are the rest.
    return {
        {"packed DIB, 24-bit with a palette",
         Bmp(40, 24, 1, 1, {1, 2, 3, 0},
             [](BmpFixture& f) { f.fileHeader = false, f.colourTable = Table({kRed}), f.coloursUsed = 1; }),
         kBmpDecodeOk,
         1,
         {{3, 2, 1}}},
        // OS/2 1.x files hold 3-byte entries, often fewer than the depth allows; the others are black.
        {"core header, table ended by the rows",
         Bmp(12, 8, 2, 1, {1, 2, 0, 0}, [](BmpFixture& f) { f.colourTable = {20, 10, 200, 40, 210, 30}; }),
         kBmpDecodeOk,
         2,
         {kGreen, {0, 0, 0}}},
        {"V4 header, 32-bit BI_RGB: its colour masks are ignored, its alpha mask is not",
         Bmp(108, 32, 1, 1, {1, 2, 3, 128}, masks(0, {0xFF, 0xFF00, 0xFF0000, 0xFF000000})),
         kBmpDecodeOk,
         1,
         {{78, 52, 26}}},
        {"V5 alpha composed over the background",
         Bmp(124, 32, 3, 1, {0, 0, 255, 128, 9, 9, 9, 0, 3, 2, 1, 255},
             masks(3, {0xFF0000, 0xFF00, 0xFF, 0xFF000000})),
         kBmpDecodeOk,
         3,
         {{204, 51, 25}, kShown, {1, 2, 3}}},
        {"RLE8 without its end: the last row is not complete",
         Bmp(40, 8, 2, 2, {2, 1, 0, 0, 2, 2}, [](BmpFixture& f) { f.compression = BI_RLE8; }),
         kBmpDecodeOk,
         2,
         {kShown, kShown, kGreen, kGreen}},
        {"no complete row", Bmp(40, 24, 1, 1, {1, 2}), kBmpNoCompleteRow},
        {"headers cut", Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40, 0, 0, 0, 1}, kBmpHeaderCut},
        {"table cut", Bmp(40, 8, 1, 1, {}, [](BmpFixture& f) { f.fileHeader = false, f.coloursUsed = 4; }),
         kBmpHeaderCut},
        {"zero height", Bmp(40, 24, 1, 0, {}), kBmpNoPixels},
        {"RLE8 at 4 bits", Bmp(40, 4, 1, 1, {0, 1}, [](BmpFixture& f) { f.compression = BI_RLE8; }),
         kBmpUnreadVariant},
        {"more than 2^26 pixels", Bmp(40, 24, 8193, -8192, {}), kBmpDecodeTooLarge},
    };
}

}  // namespace

TEST(DecodeBmpFile, ReadsEveryVariantAsBrowsersShowItOrEndsInItsStatus) {
    TempFolder folder;
    const std::string path = folder.File("in.bmp");
    for (const DecodeCase& c : DecodeCases()) {
        SCOPED_TRACE(c.name);
        WriteBytes(path, c.file);
        PackedBitmap read = reinterpret_cast<PackedBitmap>(1);
        ASSERT_EQ(DecodeBmpFile(&read, path.c_str(), kBackground), c.status);
        GlobalBlock picture(read);
        if (c.status != kBmpDecodeOk) {
            EXPECT_EQ(read, nullptr);
            continue;
        }
        BitmapLock header(picture.get());
        ASSERT_EQ(header->biWidth, c.width);
        // The resolution a header of 32 bytes or more states is kept, as the window's reader keeps it.
        const std::uint8_t headerSize = c.file[c.file[0] == 'B' && c.file[1] == 'M' ? 14 : 0];
        EXPECT_EQ(header->biXPelsPerMeter, headerSize >= 32 ? 2835 : 0);
        ASSERT_EQ(std::size_t(c.width) * std::size_t(header->biHeight), c.pixels.size());
        std::vector<Rgb> pixels;
        for (int y = 0; y < header->biHeight; ++y)
            for (int x = 0; x < c.width; ++x) pixels.push_back(PixelOf(picture.get(), x, y));
        EXPECT_EQ(pixels, c.pixels);
    }
    PackedBitmap read;
    EXPECT_EQ(DecodeBmpFile(&read, folder.File("missing.bmp").c_str(), kBackground), kBmpDecodeCannotRead);
}
