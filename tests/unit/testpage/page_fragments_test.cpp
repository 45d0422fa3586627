#include "testpage/page_fragments.h"

#include <gtest/gtest.h>

#include "testpage/hidden_variants.h"
#include "testpage/page_encoding.h"

TEST(FormatDataSize, GroupsThreeDigitsUpToTheMillions) {
    const std::pair<std::size_t, const char*> cases[] = {
        {999, "999"}, {1000005, "1,000,005"}, {1234567890, "1234,567,890"}};
    for (const auto& [bytes, text] : cases) EXPECT_EQ(FormatDataSize(bytes), text) << bytes;
}

TEST(MethodText, IsShiftJisWithTheSideFilledIn) {
    const std::string pixelsThen = "\x83\x73\x83\x4e\x83\x5a\x83\x8b)\x82\xc9";  // ピクセル)に
    const std::pair<int, std::string> cases[] = {
        // 表 ends in 0x5C, the byte of the backslash.
        {kKeepSize, "\x82\xbb\x82\xcc\x82\xdc\x82\xdc\x95\x5c\x8e\xa6\x82\xb7\x82\xe9"},
        {kLimitWidth, "\x95\x9d(430" + pixelsThen + "\x90\xa7\x8c\xc0\x82\xb7\x82\xe9"},
        {kFixWidth, "\x95\x9d(430" + pixelsThen + "\x8c\xc5\x92\xe8\x82\xb7\x82\xe9"},
        {kFitSquare, "\x90\xb3\x95\xfb\x8c\x60(430 x 430)\x82\xc9\x8e\xfb\x82\xdf\x82\xe9"},
    };
    for (const auto& [method, text] : cases) EXPECT_EQ(ShiftJisText(MethodText(method, 430)), text) << method;
}

TEST(ParseHiddenVariants, NamesEveryHideBit) {
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"", 0},           {"original", 0x20000},
        {"gif,BMP", 0x60}, {"q100,q90,q80,q70,q60,q50,q40,q30,q20,q10", 0x1FF80},
        {"q70", 0x2000},   {"q10", 0x80},
    };
    for (const auto& [list, bits] : cases) EXPECT_EQ(ParseHiddenVariants(list), bits) << list;
    for (const char* bad : {"jpeg", "q75", "q0", "gif,", ",gif"}) {
        EXPECT_FALSE(ParseHiddenVariants(bad)) << bad;
    }
}
