#include <gtest/gtest.h>

#include <string>

#include "app/drop_rules.h"

TEST(ClassifyDroppedText, AddressesAndTextsWithinTheirLimits) {
    const std::string url = "http://example.com/";
    const struct {
        std::string text;
        bool acceptedAsUrl;
        std::optional<DropKind> kind;
    } cases[] = {
        {url, true, DropKind::kUrl},
        {url + std::string(1023 - url.size(), 'a'), true, DropKind::kUrl},
        {url + std::string(1024 - url.size(), 'a'), true, std::nullopt},
        {"http://a/b\r\nhttp://c/d", true, DropKind::kText},  // never an address with a line break in it
        {std::string(49999, 'x'), false, DropKind::kText},
        {std::string(50000, 'x'), false, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifyDroppedText(c.text, c.acceptedAsUrl), c.kind)
            << c.text.substr(0, 40) << " " << c.text.size();
    }
    EXPECT_EQ(TrimDroppedText(" \t\r\nhttp://a/b c\r\n"), "http://a/b c");
    EXPECT_EQ(TrimDroppedText("\r\n"), "");
    // Clipboard texts lose one pair of quotes too.
    EXPECT_EQ(TrimClipboardText("\"C:\\a b\\cat.png\"\r\n"), "C:\\a b\\cat.png");
    EXPECT_EQ(TrimClipboardText("\"\"x\"\""), "\"x\"");
    EXPECT_EQ(TrimClipboardText(" \" "), "\"");
}

TEST(PlanDrop, ActsOnWhatWasDropped) {
    // A text taken as a path fits as a clipboard path does: 255 bytes.
    const std::string longest(259, 'p'), tooLong(260, 'p'), name255 = "C:\\" + std::string(248, 'n') + ".bmp",
                                                            name256 = "C:\\" + std::string(249, 'n') + ".bmp";
    const auto isFile = [](const char* path) {
        return std::string(path).find("missing") == std::string::npos;
    };
    const struct {
        DropKind kind;
        const char* item;
        const char* text;
        DropPlan::Action action;
        std::string target;
    } cases[] = {
        {DropKind::kUrl, "http://example.com/a.png", nullptr, DropPlan::kDownload,
         "http://example.com/a.png"},
        {DropKind::kFiles, "C:\\a\\missing.png", nullptr, DropPlan::kLoad, "C:\\a\\missing.png"},
        {DropKind::kFiles, longest.c_str(), nullptr, DropPlan::kLoad, longest},
        {DropKind::kFiles, tooLong.c_str(), nullptr, DropPlan::kRefuse, ""},
        {DropKind::kFiles, "", nullptr, DropPlan::kRefuse, ""},  // a path the code page cannot spell
        // A text names a picture file, or is ignored; the previous item plays no part.
        {DropKind::kText, "C:\\a\\cat.png", "C:\\a\\dog.JPG", DropPlan::kLoad, "C:\\a\\dog.JPG"},
        {DropKind::kText, "C:\\a\\cat.png", "C:\\a\\notes.txt", DropPlan::kIgnore, ""},
        {DropKind::kText, "C:\\a\\cat.png", "C:\\a\\b.jpeg", DropPlan::kLoad, "C:\\a\\b.jpeg"},
        {DropKind::kText, "C:\\a\\cat.png", "C:\\a\\report.pdf", DropPlan::kIgnore, ""},  // p, but no PNG
        {DropKind::kText, "C:\\a\\cat.png", "C:\\a\\noext", DropPlan::kIgnore, ""},
        {DropKind::kText, "C:\\a\\cat.png", "C:\\a\\missing.png", DropPlan::kIgnore, ""},
        {DropKind::kText, "C:\\a\\cat.png", nullptr, DropPlan::kIgnore, ""},
        {DropKind::kText, "", name255.c_str(), DropPlan::kLoad, name255},
        {DropKind::kText, "", name256.c_str(), DropPlan::kIgnore, ""},
        {static_cast<DropKind>(7), "C:\\a\\cat.png", nullptr, DropPlan::kIgnore, ""},
    };
    for (const auto& c : cases) {
        const DropPlan plan = PlanDrop(c.kind, c.item, c.text, isFile);
        EXPECT_EQ(plan.action, c.action) << c.item << " / " << (c.text ? c.text : "(none)");
        EXPECT_EQ(plan.target, c.target) << c.item;
    }
}
