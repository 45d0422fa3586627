#include "testpage/page_fragments.h"

#include <gtest/gtest.h>

#include "testpage/hidden_variants.h"
#include "testpage/page_encoding.h"

TEST(FormatDataSize, GroupsThreeDigitsUpToTheMillions) {
    const struct {
        std::size_t bytes;
        const char* text;
    } cases[] = {
        {0, "0"},
        {999, "999"},
        {1000, "1,000"},
        {12345, "12,345"},
        {999999, "999,999"},
        {1000005, "1,000,005"},
        {1234567, "1,234,567"},
        {1234567890, "1234,567,890"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatDataSize(c.bytes), c.text) << c.bytes;
}

TEST(BuildCopyButton, CopiesTheTagByNumberedIdsAndAdvancesTheCounter) {
    int counter = 1;
    const std::string tag = "<img src=\"data:image/gif;base64,AB==\">";
    EXPECT_EQ(
        BuildCopyButton(tag, counter),
        "<input id=\"s1\" type=\"text\" value='<img src=\"data:image/gif;base64,AB==\">'>"
        "<button onclick=\"f1()\"><img src=\"data:image/gif;base64,R0lGODdhEAAQAPAAAAAAAP///yH+A01JSQAh"
        "+QQJAAABACwAAAAAEAAQAAACKIQfqQvcy+KDYdZklT08ejxl20VqXiM63QcZLQVyLpyV703VNZbLXAEAOw==\"></button>"
        "<script>function f1(){var c = document.getElementById(\"s1\");c.select();"
        "document.execCommand(\"Copy\");}</script>");
    EXPECT_EQ(counter, 2);
    const std::string second = BuildCopyButton(tag, counter);
    EXPECT_EQ(second.rfind("<input id=\"s2\"", 0), 0u);
    EXPECT_NE(second.find("onclick=\"f2()\""), std::string::npos);
    EXPECT_NE(second.find("function f2(){var c = document.getElementById(\"s2\")"), std::string::npos);
    EXPECT_EQ(counter, 3);
}

TEST(ShiftJisText, GivesThePageTextsInCodePage932) {
    // 表 ends in 0x5C, the byte of the backslash.
    EXPECT_EQ(ShiftJisText(MethodText(kKeepSize, 430)),
              "\x82\xbb\x82\xcc\x82\xdc\x82\xdc\x95\x5c\x8e\xa6\x82\xb7\x82\xe9");
    EXPECT_EQ(ShiftJisText(MethodText(kFitSquare, 100)),
              "\x90\xb3\x95\xfb\x8c\x60(100 x 100)\x82\xc9\x8e\xfb\x82\xdf\x82\xe9");
    EXPECT_EQ(ShiftJisText("x:1"), "x:1");
}

TEST(ParseHiddenVariants, NamesEveryHideBit) {
    const struct {
        const char* list;
        std::uint32_t bits;
    } cases[] = {
        {"", 0},           {"original", 0x20000},
        {"gif,BMP", 0x60}, {"q100,q90,q80,q70,q60,q50,q40,q30,q20,q10", 0x1FF80},
        {"q70", 0x2000},   {"q10", 0x80},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseHiddenVariants(c.list), c.bits) << c.list;
    for (const char* bad : {"jpeg", "q75", "q0", "gif,", ",gif", "gif,,bmp", "q1000"}) {
        EXPECT_FALSE(ParseHiddenVariants(bad)) << bad;
    }
}
