#include "core/bmp_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/support/bitmap_builder.h"
#include "tests/support/bmp_fixture.h"

namespace {

struct ReadCase {
    const char* name;
    BmpFixture fixture;
    ReaderStatus status;
    int depth = 0;              // of the result
    std::uint32_t colours = 0;  // biClrUsed of the result
    Bytes firstPixels = {};     // the first bytes of the bottom row
    Bytes firstEntries = {};    // the first bytes of the colour table
};

BmpFixture With(BmpFixture fixture, const std::function<void(BmpFixture&)>& change) {
    change(fixture);
    return fixture;
}

std::vector<ReadCase> ReadCases() {
    BmpFixture plain;
    plain.rows = {1, 2, 3, 0};  // blue, green, red and a byte of padding
    const BmpFixture dib = With(plain, [](BmpFixture& f) {
        f.fileHeader = false, f.depth = 8, f.width = 2, f.coloursUsed = 2;
        f.colourTable = {10, 20, 30, 0, 40, 50, 60, 0}, f.rows = {1, 0, 0, 0};
    });
    const BmpFixture core = With(plain, [](BmpFixture& f) {
        f.headerSize = 12, f.depth = 8, f.rows = {200, 0, 0, 0};
        for (int i = 0; i < 256; ++i) f.colourTable.insert(f.colourTable.end(), {std::uint8_t(i), 7, 9});
    });
    const BmpFixture rgb565 = With(plain, [](BmpFixture& f) {
        f.depth = 16, f.width = 2, f.compression = BI_BITFIELDS, f.masks = {0xF800, 0x07E0, 0x001F};
        f.rows = {0xA0, 0x02, 0x00, 0xF8};  // green 21, then red 31
    });
    BmpFixture argb = plain;
    argb.depth = 32, argb.rows = {5, 6, 7, 0xEE};
    BmpFixture rgb555 = plain, tenBit = argb, noBlue = argb, topDown = plain, implied = plain;
    rgb555.depth = 16, rgb555.width = 2, rgb555.rows = {0xFF, 0x7F, 0x00, 0x7C};
    // 2:10:10:10 keeps the top 8 bits of each channel: blue 1023, green 2, red 512.
    tenBit.compression = BI_BITFIELDS, tenBit.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
    tenBit.rows = {0xFF, 0x0B, 0x00, 0x20};
    noBlue.compression = BI_BITFIELDS, noBlue.masks = {0xFF0000, 0x00FF00, 0};
    topDown.height = -2, topDown.rows = {1, 2, 3, 0, 4, 5, 6, 0};
    implied.depth = 8, implied.colourTable.assign(1024, 0), implied.rows = {0, 0, 0, 0};
    return {
        {"24-bit", plain, kReaderOk, 24, 0, {1, 2, 3}},
        {"packed DIB", dib, kReaderOk, 8, 2, {1}, {10, 20, 30, 0, 40, 50, 60, 0}},
        {"core header", core, kReaderOk, 8, 256, {200}, {0, 7, 9, 0, 1, 7, 9, 0}},
        {"16-bit 555", rgb555, kReaderOk, 24, 0, {248, 248, 248, 0, 0, 248}},
        {"16-bit 565", rgb565, kReaderOk, 24, 0, {0, 84, 0, 0, 0, 248}},
        {"32-bit", argb, kReaderOk, 24, 0, {5, 6, 7}},
        {"10-bit channels", tenBit, kReaderOk, 24, 0, {255, 0, 128}},
        {"zero mask", noBlue, kReaderOk, 24, 0, {0, 6, 7}},
        {"top-down", topDown, kReaderOk, 24, 0, {4, 5, 6}},
        {"implied 256 colours", implied, kReaderOk, 8, 256, {0}},
        {"RLE8", With(dib, [](BmpFixture& f) { f.compression = BI_RLE8; }), kReaderUnsupported},
        {"2-bit", With(plain, [](BmpFixture& f) { f.depth = 2; }), kReaderUnsupported},
        {"V5 header", With(plain, [](BmpFixture& f) { f.headerSize = 124; }), kReaderUnsupported},
        {"24-bit bit fields", With(plain, [](BmpFixture& f) { f.compression = BI_BITFIELDS; }),
         kReaderUnsupported},
        {"zero width", With(plain, [](BmpFixture& f) { f.width = 0; }), kReaderUnsupported},
        {"most negative height", With(plain, [](BmpFixture& f) { f.height = INT32_MIN; }),
         kReaderUnsupported},
        {"too many colours", With(dib, [](BmpFixture& f) { f.coloursUsed = 300; }), kReaderUnsupported},
        {"rows shorter than the size", With(plain, [](BmpFixture& f) { f.height = 2; }), kReaderCannotRead},
        {"cut colour table", With(dib, [](BmpFixture& f) { f.colourTable.resize(5), f.rows.clear(); }),
         kReaderCannotRead},
        {"cut masks", With(rgb565, [](BmpFixture& f) { f.masks.clear(), f.rows.clear(); }),
         kReaderCannotRead},
    };
}

}  // namespace

// A block in memory (the clipboard's) reads as a file of the same bytes without a file header does.
TEST(ReadBmp, ReadsEveryVariantFromAFileOrABlockOrEndsInItsStatus) {
    TempFolder folder;
    const std::string path = folder.File("in.bmp"), dib = folder.File("in.dib");
    for (ReadCase c : ReadCases()) {
        SCOPED_TRACE(c.name);
        WriteBytes(path, BuildBmp(c.fixture));
        PackedBitmap result = reinterpret_cast<PackedBitmap>(1);
        ASSERT_EQ(ReadBmpFile(&result, path.c_str()), c.status);
        GlobalBlock owned(result);
        c.fixture.fileHeader = false;
        const Bytes bytes = BuildBmp(c.fixture);
        for (const Bytes& input : {bytes, Bytes(bytes.begin(), bytes.end() - 1)}) {
            WriteBytes(dib, input);
            PackedBitmap fromFile = nullptr, fromBlock = nullptr;
            const ReaderStatus status = ReadBmpFile(&fromFile, dib.c_str());
            GlobalBlock file(fromFile);
            EXPECT_EQ(ReadBmpBlock(&fromBlock, input.data(), input.size()), status) << input.size();
            GlobalBlock block(fromBlock);
            EXPECT_EQ(BlockBytes(block.get()), BlockBytes(file.get())) << input.size();
        }
        if (c.status != kReaderOk) {
            EXPECT_EQ(result, nullptr);
            continue;
        }
        BitmapLock header(result);
        EXPECT_TRUE(IsCompleteBitmap(result));
        EXPECT_EQ(header->biBitCount, c.depth);
        EXPECT_EQ(header->biClrUsed, c.colours);
        EXPECT_EQ(header->biSizeImage, RowBytes(c.depth, header->biWidth) * std::uint32_t(header->biHeight));
        const BYTE* pixels = PixelRows(header.data());
        EXPECT_EQ(Bytes(pixels, pixels + c.firstPixels.size()), c.firstPixels);
        const BYTE* table = reinterpret_cast<const BYTE*>(ColourTable(header.data()));
        EXPECT_EQ(Bytes(table, table + c.firstEntries.size()), c.firstEntries);
    }
    PackedBitmap result;
    EXPECT_EQ(ReadBmpFile(&result, folder.File("missing.bmp").c_str()), kReaderCannotRead);
}

// The file is the block behind its file header; the reader's table and the loader read such files.
TEST(WriteBmpFile, PutsTheFileHeaderBeforeTheBlockOrRefusesIt) {
    TempFolder folder;
    const std::string path = folder.File("out.bmp");
    GlobalBlock palette = MakePaletteBitmap(4, 5, 3, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}},
                                            [](int x, int y) { return (x + y) % 3; });
    ASSERT_EQ(WriteBmpFile(palette.get(), path.c_str()), kBmpWritten);
    EXPECT_EQ(ReadBytes(path),
              Join({{'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 66, 0, 0, 0}, BlockBytes(palette.get())}));
    GlobalBlock tooSmall = GlobalBlock::Allocate(40);
    *BitmapLock(tooSmall.get()).data() = BITMAPINFOHEADER{40, 100, 100, 1, 24, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(WriteBmpFile(tooSmall.get(), path.c_str()), kBmpCannotLock);
}
