#include "core/picture_loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "core/bmp_file.h"
#include "core/path_text.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/files.h"
#include "tests/support/gif_fixture.h"

TEST(FindLastChar, NeverTakesTheSecondByteOfACharacter) {
    // In code page 932 the second byte of 表 is a backslash.
    const char path[] = "dir\\表";
    EXPECT_EQ(FindLastChar(path, '\\'), path + 3);
    EXPECT_EQ(FindLastChar("a.b.c", '.'), static_cast<const char*>("a.b.c") + 3);
    EXPECT_EQ(FindLastChar("none", '.'), nullptr);
}

TEST(LoadPictureFile, ChoosesTheReaderByTheFirstLetterOfTheExtension) {
    TempFolder folder;
    GlobalBlock palette =
        MakePaletteBitmap(8, 3, 2, {{9, 8, 7}, {1, 2, 3}}, [](int x, int) { return x % 2; });
    const struct {
        const char* name;
        bool loads;
    } cases[] = {
        {"picture.bmp", true},  {"PICTURE.BMP", true}, {"picture.bak", true}, {"dots.in.name.Bitmap", true},
        {"picture.txt", false}, {"picture", false},    {"picture.", false},
    };
    for (const auto& c : cases) {
        const std::string path = folder.File(c.name);
        ASSERT_TRUE(WriteBmpFile(palette.get(), path.c_str()));
        GlobalBlock loaded(LoadPictureFile(path.c_str()));
        EXPECT_EQ(static_cast<bool>(loaded), c.loads) << c.name;
        if (!loaded) continue;
        BitmapLock header(loaded.get());
        EXPECT_EQ(header->biBitCount, 24) << c.name;
        EXPECT_EQ(PixelOf(loaded.get(), 1, 0), (Rgb{1, 2, 3})) << c.name;
    }
}

TEST(LoadPictureFile, SavesTheCopyInTheSourceDepth) {
    TempFolder folder;
    GlobalBlock palette =
        MakePaletteBitmap(4, 5, 5, {{9, 8, 7}, {1, 2, 3}}, [](int x, int y) { return (x + y) % 2; });
    ASSERT_TRUE(WriteBmpFile(palette.get(), folder.File("in.bmp").c_str()));
    GlobalBlock loaded(LoadPictureFile(folder.File("in.bmp").c_str(), folder.File("saved.bmp").c_str()));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(ReadBytes(folder.File("saved.bmp")), ReadBytes(folder.File("in.bmp")));
}

TEST(LoadPictureFile, ShowsGifIndicesBeyondTheColourTableAsBlack) {
    TempFolder folder;
    const std::string path = folder.File("two colours.Gif");
    WriteBytes(path,
               Join({GifHeader("GIF89a", 3, 1, {{9, 8, 7}, {1, 2, 3}}),
                     GifImageDescriptor(0, 0, 3, 1, false, {}), GifImageData(8, {256, 255, 1, 2, 257})}));
    GlobalBlock loaded(LoadPictureFile(path.c_str()));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(PixelOf(loaded.get(), 0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(PixelOf(loaded.get(), 1, 0), (Rgb{1, 2, 3}));
    EXPECT_EQ(PixelOf(loaded.get(), 2, 0), (Rgb{0, 0, 0}));
}

TEST(PreparePicture, RefusesIncompleteBlocksAndKeepsTheSavedCopy) {
    TempFolder folder;
    const std::string saved = folder.File("saved.bmp");
    WriteBytes(saved, {'o', 'l', 'd'});
    const BITMAPINFOHEADER rgb100{40, 100, 100, 1, 24, 0, 0, 0, 0, 0, 0};
    const struct {
        const char* name;
        SIZE_T bytes;
        BITMAPINFOHEADER header;
    } cases[] = {
        {"shorter than a header", 8, rgb100},
        {"rows cut short", 40 + 100, rgb100},
        {"12-byte header", 40 + 30000, BITMAPINFOHEADER{12, 100, 100, 1, 24, 0, 0, 0, 0, 0, 0}},
        {"table of 300 colours", 40 + 4 * 300 + 10000,
         BITMAPINFOHEADER{40, 100, 100, 1, 8, 0, 0, 0, 0, 300, 0}},
    };
    for (const auto& c : cases) {
        GlobalBlock block = GlobalBlock::Allocate(c.bytes);
        {
            BlockLock<BYTE> bytes(block.get());
            std::memcpy(bytes.data(), &c.header, std::min<SIZE_T>(c.bytes, sizeof c.header));
        }
        EXPECT_EQ(PreparePicture(block.release(), saved.c_str()), nullptr) << c.name;
        EXPECT_EQ(ReadBytes(saved), (Bytes{'o', 'l', 'd'})) << c.name;
    }
}
