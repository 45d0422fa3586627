#include "codecs/bmp/bmp_decoder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/bitmap_builder.h"
#include "tests/support/bmp_fixture.h"

namespace {

constexpr std::uint32_t kBackground = 0x336699;  // red 0x99, green 0x66, blue 0x33
constexpr Rgb kShown{0x99, 0x66, 0x33}, kBlack{0, 0, 0};
constexpr Rgb kRed{200, 10, 20}, kGreen{30, 210, 40}, kBlue{50, 60, 220};

struct DecodeCase {
    const char* name;
    Bytes file;
    BmpDecodeStatus status;
    int width = 0;
    std::vector<Rgb> pixels = {};  // top row first
};

// Colour-table entries of 3 or 4 bytes, blue first.
Bytes Table(const std::vector<Rgb>& colours, int entryBytes = 4) {
    Bytes table;
    for (const Rgb& c : colours) {
        table.insert(table.end(), {c.b, c.g, c.r});
        if (entryBytes == 4) table.push_back(0);
    }
    return table;
}

BmpFixture Make(std::uint32_t headerSize, std::uint16_t depth, std::int32_t width, std::int32_t height,
                Bytes rows, const std::function<void(BmpFixture&)>& change = nullptr) {
    BmpFixture f;
    f.headerSize = headerSize, f.depth = depth, f.width = width, f.height = height, f.rows = std::move(rows);
    if (depth <= 8) f.colourTable = Table({kRed, kGreen, kBlue}), f.coloursUsed = 3;
    if (change) change(f);
    return f;
}

Bytes Bmp(std::uint32_t headerSize, std::uint16_t depth, std::int32_t width, std::int32_t height, Bytes rows,
          const std::function<void(BmpFixture&)>& change = nullptr) {
    return BuildBmp(Make(headerSize, depth, width, height, std::move(rows), change));
}

std::vector<DecodeCase> DecodeCases() {
    const auto rle = [](std::uint32_t compression) {
        return [compression](BmpFixture& f) { f.compression = compression; };
    };
    const auto masks = [](std::uint32_t compression, std::vector<std::uint32_t> fields) {
        return [compression, fields](BmpFixture& f) { f.compression = compression, f.masks = fields; };
    };
    Bytes cutRows = Bmp(40, 24, 1, 2, {1, 2, 3, 0, 4, 5, 6, 0});
    cutRows.pop_back();
    return {
        {"1-bit rows, each padded",
         Bmp(40, 1, 2, 2, {0x80, 0, 0, 0, 0x40, 0, 0, 0}),
         kBmpDecodeOk,
         2,
         {kRed, kGreen, kGreen, kRed}},
        {"2-bit", Bmp(40, 2, 3, 1, {0x18, 0, 0, 0}), kBmpDecodeOk, 3, {kRed, kGreen, kBlue}},
        // OS/2 1.x: 3-byte entries, as many as fit before the rows; others are black.
        {"core header, table cut by the rows' offset",
         Bmp(12, 4, 2, 1, {0x12, 0, 0, 0},
             [](BmpFixture& f) {
                 f.colourTable = Table({kRed, kGreen}, 3), f.rowsOffset = 14 + 12 + 6;
             }),
         kBmpDecodeOk,
         2,
         {kGreen, kBlack}},
        {"OS/2 2.x header of 16 bytes", Bmp(16, 8, 2, 1, {2, 0, 0, 0}), kBmpDecodeOk, 2, {kBlue, kRed}},
        {"packed DIB, 24-bit with a palette",
         Bmp(40, 24, 1, 1, {1, 2, 3, 0},
             [](BmpFixture& f) { f.fileHeader = false, f.colourTable = Table({kRed}), f.coloursUsed = 1; }),
         kBmpDecodeOk,
         1,
         {{3, 2, 1}}},
        {"top-down", Bmp(40, 24, 1, -2, {1, 2, 3, 0, 4, 5, 6, 0}), kBmpDecodeOk, 1, {{3, 2, 1}, {6, 5, 4}}},
        {"16-bit 555, scaled to the whole range",
         Bmp(40, 16, 1, 1, {0xFF, 0x7F, 0, 0}),
         kBmpDecodeOk,
         1,
         {{255, 255, 255}}},
        {"16-bit 565, rounded",
         Bmp(40, 16, 1, 1, {0xFF, 0x1F, 0, 0}, masks(3, {0xF800, 0x07E0, 0x001F})),
         kBmpDecodeOk,
         1,
         {{25, 255, 255}}},
        // Green has 10 bits, of which the top 8 count.
        {"32-bit fields in another order",
         Bmp(40, 32, 2, 1, {0x11, 0x22, 0xF0, 0x3F, 0, 0, 0x10, 0x20}, masks(3, {0xFF, 0x3FF00000, 0xFF00})),
         kBmpDecodeOk,
         2,
         {{0x11, 0xFF, 0x22}, {0, 0x80, 0}}},
        {"V2 header holds the masks",
         Bmp(52, 32, 1, 1, {1, 2, 3, 0}, masks(3, {0xFF, 0xFF00, 0xFF0000})),
         kBmpDecodeOk,
         1,
         {{1, 2, 3}}},
        {"V4 header, BI_RGB: the fourth byte and the header's masks are ignored",
         Bmp(108, 32, 1, 1, {1, 2, 3, 0x80}, masks(0, {0xFF, 0xFF00, 0xFF0000, 0xFF000000})),
         kBmpDecodeOk,
         1,
         {{3, 2, 1}}},
        {"V5 alpha composed over the background",
         Bmp(124, 32, 3, 1, {0, 0, 255, 128, 9, 9, 9, 0, 3, 2, 1, 255},
             masks(3, {0xFF0000, 0xFF00, 0xFF, 0xFF000000})),
         kBmpDecodeOk,
         3,
         {{204, 51, 25}, kShown, {1, 2, 3}}},
        {"alpha bit fields behind a 40-byte header",
         Bmp(40, 16, 1, 1, {0x08, 0xFF, 0, 0}, masks(6, {0x0F00, 0x00F0, 0x000F, 0xF000})),
         kBmpDecodeOk,
         1,
         {{255, 0, 136}}},
        // Runs, absolute pixels padded to 16 bits, end of line, a delta over a row, end of bitmap.
        {"RLE8",
         Bmp(40, 8, 5, 3, {2, 1, 0, 3, 2, 0, 2, 0, 0, 0, 0, 2, 1, 1, 1, 2, 0, 1}, rle(1)),
         kBmpDecodeOk,
         5,
         {kBlack, kBlue, kBlack, kBlack, kBlack, kBlack, kBlack, kBlack, kBlack, kBlack, kGreen, kGreen,
          kBlue, kRed, kBlue}},
        // Nibble runs, absolute nibbles, a run cut at the row's end.
        {"RLE4",
         Bmp(40, 4, 7, 1, {3, 0x12, 0, 3, 0x20, 0x10, 3, 0x00, 0, 1}, rle(2)),
         kBmpDecodeOk,
         7,
         {kGreen, kBlue, kGreen, kBlue, kRed, kGreen, kRed}},
        {"OS/2 RLE24",
         Bmp(64, 24, 4, 1, {1, 1, 2, 3, 0, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0, 0, 1}, rle(4)),
         kBmpDecodeOk,
         4,
         {{3, 2, 1}, {6, 5, 4}, {9, 8, 7}, {12, 11, 10}}},
        {"RLE8 without its end: the last row is not complete",
         Bmp(40, 8, 2, 2, {2, 1, 0, 0, 2, 2}, rle(1)),
         kBmpDecodeOk,
         2,
         {kShown, kShown, kGreen, kGreen}},
        {"rows cut short", cutRows, kBmpDecodeOk, 1, {kShown, {3, 2, 1}}},
        {"no complete row", Bmp(40, 24, 1, 1, {1, 2}), kBmpNoCompleteRow},
        {"headers cut", Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40, 0, 0, 0, 1}, kBmpHeaderCut},
        {"table cut", Bmp(40, 8, 1, 1, {}, [](BmpFixture& f) { f.fileHeader = false, f.coloursUsed = 4; }),
         kBmpHeaderCut},
        {"header of 66 bytes", Bmp(66, 24, 1, 1, {1, 2, 3, 0}), kBmpUnknownHeader},
        {"negative width", Bmp(40, 24, -1, 1, {1, 2, 3, 0}), kBmpNoPixels},
        {"zero height", Bmp(40, 24, 1, 0, {}), kBmpNoPixels},
        {"64-bit", Bmp(40, 64, 1, 1, Bytes(8, 0)), kBmpUnreadVariant},
        {"JPEG in a Windows header", Bmp(40, 24, 1, 1, {1, 2, 3, 0}, rle(4)), kBmpUnreadVariant},
        {"OS/2 Huffman", Bmp(64, 1, 1, 1, {0, 0, 0, 0}, rle(3)), kBmpUnreadVariant},
        {"RLE8 at 4 bits", Bmp(40, 4, 1, 1, {0, 1}, rle(1)), kBmpUnreadVariant},
        {"wider than 65500", Bmp(40, 24, 65501, 1, {}), kBmpDecodeTooLarge},
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
        ASSERT_EQ(std::size_t(c.width) * std::size_t(header->biHeight), c.pixels.size());
        std::vector<Rgb> pixels;
        for (int y = 0; y < header->biHeight; ++y)
            for (int x = 0; x < c.width; ++x) pixels.push_back(PixelOf(picture.get(), x, y));
        EXPECT_EQ(pixels, c.pixels);
    }
    PackedBitmap read;
    EXPECT_EQ(DecodeBmpFile(&read, folder.File("missing.bmp").c_str(), kBackground), kBmpDecodeCannotRead);
}
