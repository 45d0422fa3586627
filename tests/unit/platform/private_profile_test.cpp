#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/kernel.h"
#include "tests/support/files.h"

namespace {

std::string Get(const std::string& file, const char* section, const char* key,
                const char* fallback = "none") {
    char buffer[64];
    GetPrivateProfileStringA(section, key, fallback, buffer, sizeof buffer, file.c_str());
    return buffer;
}

std::string Text(const std::string& file) {
    Bytes bytes = ReadBytes(file);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(PrivateProfile, ReadsNamesWithoutCaseTrimsValuesAndFallsBackToTheDefault) {
    TempFolder folder;
    const std::string file = folder.File("korvi.ini");
    EXPECT_EQ(GetPrivateProfileIntA("minicon", "Pixel", 430, file.c_str()), 430u);
    EXPECT_FALSE(FileExists(file));
    const std::string text =
        "; comment\r\n[MiniCon]\r\n  Pixel =  800 \r\nFormat=2\r\n[Tools]\r\nEditBitmap=\"x y\"\r\n[m]\n";
    WriteBytes(file, Bytes(text.begin(), text.end()));
    EXPECT_EQ(Get(file, "minicon", "pixel"), "800");
    EXPECT_EQ(GetPrivateProfileIntA("MINICON", "format", 0, file.c_str()), 2u);
    EXPECT_EQ(Get(file, "tools", "EditBitmap"), "x y");
    EXPECT_EQ(Get(file, "tools", "Pixel"), "none") << "keys belong to their own section";
    EXPECT_EQ(Get(file, "m", "Pixel", "7"), "7");

    char small[4];
    EXPECT_EQ(GetPrivateProfileStringA("minicon", "Pixel", "", small, sizeof small, file.c_str()), 3u);
    EXPECT_STREQ(small, "800");
    EXPECT_EQ(Get(file, "minicon", "Rect", "  0,0 \t "), "  0,0") << "defaults lose trailing blanks";

    // Null names list the sections, or a section's keys.
    const struct {
        const char* section;
        const char* key;
        DWORD size;
        std::string list;  // with the zeros, as the buffer holds it
        DWORD copied;
    } cases[] = {
        {nullptr, nullptr, 64, std::string("MiniCon\0Tools\0m\0\0", 17), 16},
        {"minicon", nullptr, 64, std::string("Pixel\0Format\0\0", 14), 13},
        {"none", nullptr, 64, std::string("\0\0", 2), 0},
        {nullptr, nullptr, 10, std::string("MiniCon\0\0\0", 10), 8},  // cut, still two zeros
    };
    for (const auto& c : cases) {
        char buffer[64];
        std::fill(buffer, buffer + sizeof buffer, 'x');
        const DWORD copied = GetPrivateProfileStringA(c.section, c.key, "", buffer, c.size, file.c_str());
        EXPECT_EQ(std::string(buffer, c.list.size()), c.list) << c.list;
        EXPECT_EQ(copied, c.copied) << c.list;
    }
}

TEST(PrivateProfile, WritingCreatesReplacesAndKeepsEverythingElse) {
    TempFolder folder;
    const std::string file = folder.File("korvi.ini");
    ASSERT_TRUE(WritePrivateProfileStringA("minicon", "flags", "1", file.c_str()));
    EXPECT_EQ(Text(file), "[minicon]\r\nflags=1\r\n");

    const std::string text =
        "[Tools]\r\nEditBitmap=paint\r\n\r\n[minicon]\r\nPixel=430\r\n\r\n[Other]\r\nA=1\r\n";
    WriteBytes(file, Bytes(text.begin(), text.end()));
    ASSERT_TRUE(WritePrivateProfileStringA("MINICON", "PIXEL", "800", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("minicon", "Format", "2", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Tools", "EditBitmap", nullptr, file.c_str()));
    EXPECT_EQ(Text(file), "[Tools]\r\n\r\n[minicon]\r\nPixel=800\r\nFormat=2\r\n\r\n[Other]\r\nA=1\r\n");
}
