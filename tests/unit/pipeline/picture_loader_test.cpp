#include "pipeline/picture_loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "core/bmp_file.h"
#include "core/path_text.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/bmp_fixture.h"
#include "tests/support/files.h"
#include "tests/support/gif_fixture.h"
#include "tests/support/png_fixture.h"

TEST(FindLastChar, NeverTakesTheSecondByteOfACharacter) {
    // In code page 932 the second byte of 表 is a backslash.
    const char path[] = "dir\\表";
    EXPECT_EQ(FindLastChar(path, '\\'), path + 3);
    EXPECT_EQ(FindLastChar("a.b.c", '.'), static_cast<const char*>("a.b.c") + 3);
    EXPECT_EQ(FindLastChar("none", '.'), nullptr);
}

// The copy is saved in the source's depth, and only when a reader took the file.
TEST(LoadPictureFile, ChoosesTheReaderByTheFirstLetterOfTheExtensionAndSavesTheCopy) {
    TempFolder folder;
    GlobalBlock palette =
        MakePaletteBitmap(4, 5, 2, {{9, 8, 7}, {1, 2, 3}}, [](int x, int y) { return (x + y) % 2; });
    const struct {
        const char* name;
        bool loads;
    } cases[] = {
        {"picture.bmp", true},  {"PICTURE.BMP", true}, {"picture.bak", true}, {"dots.in.name.Bitmap", true},
        {"picture.txt", false}, {"picture", false},    {"picture.", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.File(c.name), saved = path + ".saved";
        ASSERT_EQ(WriteBmpFile(palette.get(), path.c_str()), kBmpWritten);
        GlobalBlock loaded(LoadPictureFile(path.c_str(), saved.c_str()));
        EXPECT_EQ(static_cast<bool>(loaded), c.loads);
        EXPECT_EQ(ReadBytes(saved), c.loads ? ReadBytes(path) : Bytes{});
        if (!loaded) continue;
        EXPECT_EQ(BitmapLock(loaded.get())->biBitCount, 24);
        EXPECT_EQ(PixelOf(loaded.get(), 1, 0), (Rgb{1, 2, 3}));
    }
}

TEST(LoadPictureFile, ShowsGifIndicesPastTheTableAsBlackAndHandsTheBackgroundToThePngReader) {
    TempFolder folder;
    PngFixture rgba;
    rgba.width = 2, rgba.colourType = 6, rgba.samples = {1, 2, 3, 0, 4, 5, 6, 255};
    const Bytes png = BuildPng(rgba), gif = Join({GifHeader("GIF89a", 3, 1, {{9, 8, 7}, {1, 2, 3}}),
                                                  GifImageDescriptor(0, 0, 3, 1, false, {}),
                                                  GifImageData(8, {256, 255, 1, 2, 257})});
    const struct {
        const char* name;
        const Bytes& file;
        std::uint32_t background;
        std::vector<Rgb> row;
    } cases[] = {
        {"two colours.Gif", gif, kDefaultBackColor, {{0, 0, 0}, {1, 2, 3}, {0, 0, 0}}},
        {"clear.PNG", png, kDefaultBackColor, {{255, 255, 255}, {4, 5, 6}}},
        {"clear.png", png, 0x0000FF, {{255, 0, 0}, {4, 5, 6}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(folder.File(c.name), c.file);
        GlobalBlock loaded(LoadPictureFile(folder.File(c.name).c_str(), nullptr, nullptr, c.background));
        ASSERT_TRUE(loaded);
        for (std::size_t x = 0; x < c.row.size(); ++x)
            EXPECT_EQ(PixelOf(loaded.get(), int(x), 0), c.row[x]) << x;
    }
}

namespace {

char ReaderLetter(const PictureFormat* format) {
    return format != nullptr ? format->readerLetter : '\0';
}

GlobalBlock BlockOf(const Bytes& bytes) {
    GlobalBlock block = GlobalBlock::Allocate(bytes.size());
    BlockLock<BYTE> data(block.get());
    std::copy(bytes.begin(), bytes.end(), data.data());
    return block;
}

}  // namespace

// Clipboard blocks come in any layout a program chose.
TEST(PreparePicture, ReadsOutsideBlocksByTheBmpRulesOrRefusesThemUntouched) {
    TempFolder folder;
    const std::string saved = folder.File("saved.bmp");
    auto dib = [](auto change) {
        BmpFixture f;
        f.fileHeader = false;
        f.width = 2;
        f.rows = {1, 2, 3, 4, 5, 6, 0, 0};
        change(f);
        return BuildBmp(f);
    };
    const struct {
        const char* name;
        Bytes block;
        Rgb topLeft;  // black: the block is refused
    } cases[] = {
        {"24-bit", dib([](BmpFixture&) {}), {3, 2, 1}},
        {"no planes", dib([](BmpFixture& f) { f.planes = 0; }), {3, 2, 1}},
        {"top-down", dib([](BmpFixture& f) { f.height = -2, f.rows.resize(16, 9); }), {3, 2, 1}},
        {"16-bit 565 bit fields",
         dib([](BmpFixture& f) {
             f.depth = 16, f.compression = BI_BITFIELDS, f.masks = {0xF800, 0x07E0, 0x001F};
         }),
         {0, 64, 8}},
        {"32-bit", dib([](BmpFixture& f) { f.depth = 32; }), {3, 2, 1}},
        {"12-byte header", dib([](BmpFixture& f) { f.headerSize = 12, f.rows.resize(8); }), {3, 2, 1}},
        {"JPEG inside", dib([](BmpFixture& f) { f.compression = 4; }), {}},
        {"RLE8",
         dib([](BmpFixture& f) { f.depth = 8, f.compression = BI_RLE8, f.colourTable.assign(1024, 0); }),
         {}},
        {"rows cut short", dib([](BmpFixture& f) { f.rows.resize(3); }), {}},
        {"shorter than a header", Bytes(8, 40), {}},
        {"table of 300 colours", dib([](BmpFixture& f) { f.depth = 8, f.coloursUsed = 300; }), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(saved, {'o', 'l', 'd'});
        GlobalBlock picture(PreparePicture(BlockOf(c.block).release(), saved.c_str()));
        if (c.topLeft == Rgb{}) {
            EXPECT_FALSE(picture);
            EXPECT_EQ(ReadBytes(saved), (Bytes{'o', 'l', 'd'}));
            continue;
        }
        ASSERT_TRUE(picture);
        EXPECT_EQ(PixelOf(picture.get(), 0, 0), c.topLeft);
        const Bytes copy = ReadBytes(saved);
        ASSERT_GE(copy.size(), 54u);
        EXPECT_EQ(copy[26], 1) << "planes";
        EXPECT_EQ(ReadLe32(copy, 30), 0) << "compression";
    }
}

TEST(FormatForFirstBytes, NamesTheReaderOfEachSignature) {
    auto bytes = [](const char* text, std::size_t count) { return Bytes(text, text + count); };
    Bytes macBinary(131, 0);
    macBinary[1] = 9;
    std::memcpy(&macBinary[65], "JPEG", 4);
    macBinary[128] = 0xFF, macBinary[129] = 0xD8, macBinary[130] = 0xFF;
    Bytes textFork = macBinary, unnamed = macBinary, cut = macBinary;
    std::memcpy(&textFork[65], "TEXT", 4);
    unnamed[1] = 0;
    cut.pop_back();
    const struct {
        Bytes first;
        char reader;
    } cases[] = {
        {bytes("BM\x36\x24", 4), 'b'},
        {bytes("GIF87a", 6), 'g'},
        {bytes("GIF89a\x40", 7), 'g'},
        {bytes("GIF88a", 6), 0},
        {bytes("\xFF\xD8\xFF", 3), 'j'},
        {bytes("\xFF\xD8", 2), 0},
        {bytes("\x89PNG\r\n\x1A\n", 8), 'p'},
        {bytes("\x89PNG\r\n\x1A", 7), 0},
        {{}, 0},
        {bytes("B", 1), 0},
        {macBinary, 'j'},
        {textFork, 0},
        {unnamed, 0},
        {cut, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReaderLetter(FormatForFirstBytes(c.first.data(), c.first.size())), c.reader)
            << std::string(c.first.begin(), c.first.end());
    }
}

TEST(ReadPictureByContent, ReadsAFileByItsFirstBytesWhateverItsName) {
    TempFolder folder;
    GlobalBlock palette =
        MakePaletteBitmap(8, 3, 2, {{9, 8, 7}, {1, 2, 3}}, [](int x, int) { return x % 2; });
    ASSERT_EQ(WriteBmpFile(palette.get(), folder.File("bitmap.gif").c_str()), kBmpWritten);
    ASSERT_EQ(WriteBmpFile(palette.get(), folder.File("nameless").c_str()), kBmpWritten);
    WriteBytes(folder.File("gif.jpg"),
               Join({GifHeader("GIF89a", 3, 1, {{9, 8, 7}, {1, 2, 3}}),
                     GifImageDescriptor(0, 0, 3, 1, false, {}), GifImageData(2, {4, 0, 1, 0, 5})}));
    WriteBytes(folder.File("text.bmp"), {'h', 'i'});
    const struct {
        const char* name;
        char reader;
        ReaderStatus status;
    } cases[] = {
        {"bitmap.gif", 'b', kReaderOk}, {"nameless", 'b', kReaderOk},      {"gif.jpg", 'g', kReaderOk},
        {"text.bmp", 0, kReaderOk},     {"missing", 0, kReaderCannotRead},
    };
    for (const auto& c : cases) {
        LoadFailure failure{&FormatOf(OutputFormat::kPng), -99};
        GlobalBlock picture(
            PreparePicture(ReadPictureByContent(folder.File(c.name).c_str(), &failure), nullptr));
        EXPECT_EQ(ReaderLetter(failure.format), c.reader) << c.name;
        EXPECT_EQ(failure.status, c.status) << c.name;
        EXPECT_EQ(static_cast<bool>(picture), c.reader != 0) << c.name;
        if (picture) {
            EXPECT_EQ(PixelOf(picture.get(), 1, 0), (Rgb{1, 2, 3})) << c.name;
        }
    }
}
