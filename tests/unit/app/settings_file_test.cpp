#include "app/settings_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "tests/support/files.h"

TEST(ProfileNumber, ReadsAsAtoiWithoutOverflow) {
    const std::pair<const char*, int> cases[] = {
        {"12abc", 12}, {" -7", -7}, {"abc", 0}, {"99999999999", INT_MAX}, {"-99999999999", INT_MIN},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(ProfileNumber(text), value) << text;
}

TEST(ParseStoredRect, NeedsAllFourNumbers) {
    const std::pair<const char*, PixelRect> cases[] = {
        {"10,20,300,400", {10, 20, 300, 400}}, {"-5,-6,7,8", {-5, -6, 7, 8}}, {"1,2,3", {}}, {"1,2,,4", {}},
        {"1, 2, 3, 4", {1, 2, 3, 4}},
    };
    for (const auto& [text, rect] : cases) EXPECT_EQ(ParseStoredRect(text), rect) << text;
    EXPECT_EQ(FormatStoredRect({-3, 4, 500, 600}), "-3,4,500,600");
}

TEST(ReadWindowSettings, AppliesDefaultsAndTheWindowsClamps) {
    TempFolder folder;
    const std::string ini = folder.File("korvi.ini");
    // The longest source path the window keeps, and one byte more.
    const std::string longest = "C:\\" + std::string(256, 'a'), tooLong = longest + 'a';
    const struct {
        std::string file;
        // The size change, format, quality, side, background and source path read.
        std::tuple<int, int, int, int, unsigned, std::string> read;
    } cases[] = {
        {"", {1, 0, 80, 430, 0xFFFFFF, ""}},
        {"[minicon]\nJpegQuality=15\nPixel=2000\nSizeChange=7\nFormat=-1\nInputFile=" + longest,
         {3, 0, 30, 800, 0xFFFFFF, longest}},
        {"[minicon]\nJpegQuality=101\nPixel=10\nSizeChange=-2\nFormat=5\nBackColor=255\nInputFile=" + tooLong,
         {0, 2, 100, 64, 255, ""}},
        {"[other]\nPixel=100\n[minicon]\nPixel=12abc\nFormat=1\n", {1, 1, 80, 64, 0xFFFFFF, ""}},
    };
    for (const auto& c : cases) {
        WriteBytes(ini, Bytes(c.file.begin(), c.file.end()));
        const WindowSettings s = ReadWindowSettings(ini);
        EXPECT_EQ(std::tie(s.sizeChange, s.format, s.jpegQuality, s.pixel, s.backColor, s.inputFile), c.read)
            << c.file;
    }
}

TEST(StoredSettings, TheWordGetsTheStartBitAndTheConversionIsWrittenInOrder) {
    TempFolder folder;
    const std::string ini = folder.File("korvi.ini");
    EXPECT_EQ(ReadSettingsWord(ini), 1u);
    for (const unsigned word : {0u, 0x20040u, 0x80000001u}) {
        WriteSettingsWord(ini, word);
        EXPECT_EQ(ReadSettingsWord(ini), word | 1u);
    }
    StoreConversionSettings(ini, {3, 1, 55, 64}, "C:\\p.bmp");
    const Bytes bytes = ReadBytes(ini);
    const std::string text(bytes.begin(), bytes.end());
    std::size_t at = 0;
    for (const char* entry :
         {"SizeChange=3", "Format=1", "JpegQuality=55", "Pixel=64", "InputFile=C:\\p.bmp"}) {
        at = text.find(entry, at);
        ASSERT_NE(at, std::string::npos) << entry << " in order in " << text;
    }
}
