#include "pipeline/picture_loader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/bmp_file.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/bmp_fixture.h"
#include "tests/support/files.h"
#include "tests/support/gif_fixture.h"
#include "tests/support/png_fixture.h"

namespace {

GlobalBlock TwoColours() {
    return MakePaletteBitmap(4, 5, 2, {{9, 8, 7}, {1, 2, 3}}, [](int x, int y) { return (x + y) % 2; });
}

}  // namespace

// The copy is saved in the source's depth, and only when a reader took the file.
TEST(LoadPictureFile, ChoosesTheReaderByTheFirstLetterOfTheExtensionAndSavesTheCopy) {
    TempFolder folder;
    GlobalBlock palette = TwoColours();
    const struct {
        const char* name;
        bool loads;
    } cases[] = {
        {"picture.bmp", true}, {"dots.in.name.Bitmap", true}, {"picture.txt", false},
        {"picture", false},    {"picture.", false},
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
    PngFixture clear;
    clear.width = 2, clear.colourType = 6, clear.samples = {1, 2, 3, 0, 4, 5, 6, 255};
    WriteBytes(folder.File("clear.png"), BuildPng(clear));
    // Over white unless a background is given; the window passes its own, the reader composes.
    GlobalBlock overWhite(LoadPictureFile(folder.File("clear.png").c_str(), nullptr));
    ASSERT_TRUE(overWhite);
    EXPECT_EQ(PixelOf(overWhite.get(), 0, 0), (Rgb{255, 255, 255}));
}

// Clipboard blocks come in any layout a program chose; the BMP reader's table has the layouts.
TEST(PreparePicture, KeepsReaderBlocksRereadsOthersByTheBmpRulesOrRefusesThemUntouched) {
    TempFolder folder;
    const std::string saved = folder.File("saved.bmp");
    const auto prepare = [&](const Bytes& dib) {
        WriteBytes(saved, {'o', 'l', 'd'});
        GlobalBlock block = GlobalBlock::Allocate(dib.size());
        std::memcpy(BlockLock<BYTE>(block.get()).data(), dib.data(), dib.size());
        return GlobalBlock(PreparePicture(block.release(), saved.c_str()));
    };
    BmpFixture dib;
    dib.fileHeader = false, dib.width = 2, dib.planes = 0, dib.rows = {1, 2, 3, 4, 5, 6, 0, 0};
    GlobalBlock picture = prepare(BuildBmp(dib));
    ASSERT_TRUE(picture);
    EXPECT_EQ(PixelOf(picture.get(), 0, 0), (Rgb{3, 2, 1}));
    const Bytes copy = ReadBytes(saved);
    ASSERT_GE(copy.size(), 54u);
    EXPECT_EQ(copy[26], 1) << "planes";
    dib.rows.resize(3);
    EXPECT_FALSE(prepare(BuildBmp(dib))) << "rows cut short";
    EXPECT_EQ(ReadBytes(saved), (Bytes{'o', 'l', 'd'}));
}

// The name decides only where the bytes begin no signature: a bitmap without its file header.
TEST(ReadPictureByContent, ReadsAFileByTheSignatureItBeginsWithWhateverItsName) {
    TempFolder folder;
    ASSERT_EQ(WriteBmpFile(TwoColours().get(), folder.File("bitmap.gif").c_str()), kBmpWritten);
    WriteBytes(folder.File("gif.jpg"),
               Join({GifHeader("GIF89a", 3, 1, {{9, 8, 7}, {1, 2, 3}}),
                     GifImageDescriptor(0, 0, 3, 1, false, {}), GifImageData(2, {4, 0, 1, 0, 5})}));
    BmpFixture headerless;
    headerless.fileHeader = false, headerless.width = 2, headerless.rows = {9, 8, 7, 3, 2, 1, 0, 0};
    auto bytes = [](const char* text, std::size_t count) { return Bytes(text, text + count); };
    Bytes macBinary(131, 0);
    macBinary[1] = 9;
    std::memcpy(&macBinary[65], "JPEG", 4);
    macBinary[128] = 0xFF, macBinary[129] = 0xD8, macBinary[130] = 0xFF;
    Bytes textFork = macBinary, unnamed = macBinary, cut = macBinary;
    std::memcpy(&textFork[65], "TEXT", 4);
    unnamed[1] = 0;
    cut.pop_back();
    const PictureFormat *kBmp = &FormatOf(OutputFormat::kBmp), *kGif = &FormatOf(OutputFormat::kGif),
                        *kJpeg = &FormatOf(OutputFormat::kJpeg), *kNone = nullptr;
    const struct {
        const char* name;
        Bytes first;  // the file, unless it is written above
        const PictureFormat* format;
        bool reads = false;
    } cases[] = {
        {"bitmap.gif", {}, kBmp, true},
        {"gif.jpg", {}, kGif, true},
        {"headerless.bmp", BuildBmp(headerless), kBmp, true},
        {"headerless.dat", BuildBmp(headerless), kNone},
        {"prose.gif", bytes("GIF, or so it says", 18), kGif},
        {"87a", bytes("GIF87a", 6), kGif},
        {"88a", bytes("GIF88a", 6), kNone},
        {"jpeg", bytes("\xFF\xD8\xFF", 3), kJpeg},
        {"png", bytes("\x89PNG\r\n\x1A\n", 8), &FormatOf(OutputFormat::kPng)},
        {"webp", bytes("RIFF\0\0\0\0WEBP", 12), &FormatOf(OutputFormat::kWebp)},
        {"empty", {}, kNone},
        {"macbinary", macBinary, kJpeg},
        {"text fork", textFork, kNone},
        {"unnamed", unnamed, kNone},
        {"cut macbinary", cut, kNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!FileExists(folder.File(c.name))) WriteBytes(folder.File(c.name), c.first);
        LoadFailure failure{&FormatOf(OutputFormat::kPng), -99};
        GlobalBlock picture(
            PreparePicture(ReadPictureByContent(folder.File(c.name).c_str(), &failure), nullptr));
        EXPECT_EQ(failure.format, c.format);
        EXPECT_EQ(static_cast<bool>(picture), c.reads);
        EXPECT_EQ(failure.status == kReaderOk, c.reads || c.format == nullptr);
        if (picture) {
            EXPECT_EQ(PixelOf(picture.get(), 1, 0), (Rgb{1, 2, 3}));
        }
    }
    // korvi-cli reads every BMP variant; the window keeps its own reader, which refuses RLE.
    BmpFixture rle;
    rle.depth = 8, rle.compression = BI_RLE8, rle.coloursUsed = 1, rle.colourTable = {1, 2, 3, 0};
    rle.rows = {1, 0, 0, 1};
    WriteBytes(folder.File("rle.bmp"), BuildBmp(rle));
    EXPECT_TRUE(GlobalBlock(ReadPictureByContent(folder.File("rle.bmp").c_str())));
    EXPECT_TRUE(GlobalBlock(ReadPictureAs(&FormatOf(OutputFormat::kBmp), folder.File("rle.bmp").c_str())));
    EXPECT_FALSE(GlobalBlock(LoadPictureFile(folder.File("rle.bmp").c_str())));
    LoadFailure failure;
    EXPECT_FALSE(ReadPictureByContent(folder.File("missing").c_str(), &failure));
    EXPECT_EQ(failure.status, kReaderCannotRead);
    EXPECT_EQ(failure.format, nullptr);
}
