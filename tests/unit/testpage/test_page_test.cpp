#include "testpage/test_page.h"

#include <gtest/gtest.h>

#include <mutex>
#include <regex>

#include "core/messages.h"
#include "testpage/hidden_variants.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/files.h"
#include "tests/support/synthetic_picture.h"

namespace {

// The page's Japanese texts in Shift_JIS, taken from the code page's table.
const std::string kOriginalImage = "\x8c\xb3\x82\xcc\x89\xe6\x91\x9c";  // 元の画像
const std::string kSize = "\x83\x54\x83\x43\x83\x59:";                  // サイズ:
const std::string kMethod = "\x95\xcf\x8d\x58\x95\xfb\x96\x40:";        // 変更方法:
const std::string kConverted =
    "\x95\xcf\x8a\xb7\x82\xb5\x82\xbd\x89\xe6\x91\x9c" + kSize;    // 変換した画像サイズ:
const std::string kDataSize = "\x83\x66\x81\x5b\x83\x5e" + kSize;  // データサイズ:
const std::string kBytes = "\x83\x6f\x83\x43\x83\x67";             // バイト
const std::string kKeepAsItIs = "\x82\xbb\x82\xcc\x82\xdc\x82\xdc\x95\x5c\x8e\xa6\x82\xb7\x82\xe9";
const std::string kPixelsThen = "\x83\x73\x83\x4e\x83\x5a\x83\x8b)\x82\xc9";  // ピクセル)に
const std::string kLimit = "\x95\x9d(430" + kPixelsThen + "\x90\xa7\x8c\xc0\x82\xb7\x82\xe9";
const std::string kFix = "\x95\x9d(430" + kPixelsThen + "\x8c\xc5\x92\xe8\x82\xb7\x82\xe9";
const std::string kSquare = "\x90\xb3\x95\xfb\x8c\x60(64 x 64)\x82\xc9\x8e\xfb\x82\xdf\x82\xe9";

const std::string kHead = "<html><head><meta charset=\"Shift_JIS\"></head>\r\n<body>";
const std::string kTail = "</body></html>";

std::string SizeTable(const std::string& source, const std::string& method, const std::string& converted) {
    std::string table = "<br><table><tr><td align=\"right\">" + kOriginalImage + kSize + "</td><td>" +
                        source + "</td></tr>\r\n<tr><td align=\"right\">" + kMethod + "</td><td>" + method +
                        "</td></tr>\r\n<tr><td align=\"right\">" + kConverted + "</td><td>";
    return converted.empty() ? table : table + converted + "</td></tr></table>\r\n";
}

std::string Name(OutputFormat format, int quality) {
    switch (format) {
        case OutputFormat::kJpeg:
            return "q" + std::to_string(quality);
        case OutputFormat::kGif:
            return "gif";
        case OutputFormat::kBmp:
            break;
    }
    return "bmp";
}

// Tags that name their variant, made at once; `failing` names the variants that fail.
class FakeVariants {
  public:
    explicit FakeVariants(std::vector<std::string> failing = {}) : failing_(std::move(failing)) {}

    VariantMaker maker() {
        return [this](const VariantPicture& picture, OutputFormat format, int quality, const std::string&) {
            std::string name = Name(format, quality);
            if (format == OutputFormat::kBmp && picture.width() == 30) name = "original";  // kept size
            std::lock_guard<std::mutex> hold(mutex_);
            made_.push_back(name);
            ConversionOutcome outcome;
            for (const std::string& failing : failing_) {
                if (failing == name) {
                    outcome.message = kMsgJpegWriteFailed;
                    return outcome;
                }
            }
            outcome.succeeded = true;
            outcome.text = "<img src=\"data:x;base64," + name + "\">";
            return outcome;
        };
    }
    std::vector<std::string> made() const { return made_; }

  private:
    std::vector<std::string> failing_;
    std::mutex mutex_;
    std::vector<std::string> made_;
};

struct Picture {
    GlobalBlock block;
    PageSource source;
    Picture(int width, int height, const ColourAt& colour) : block(MakeBitmap24(width, height, colour)) {
        source = PageSource{block.get(), width, height};
    }
};

// The sections of a page as "heading sN" in page order.
std::vector<std::string> Sections(const std::string& page) {
    static const std::regex section(
        "<hr><h3>[^<]*</h3>\r\n<img src=\"data:x;base64,([a-z0-9]*)\"><br>[^<]*<br>\r\n<input "
        "id=\"(s[0-9]+)\"");
    std::vector<std::string> found;
    for (std::sregex_iterator it(page.begin(), page.end(), section), end; it != end; ++it) {
        found.push_back((*it)[1].str() + " " + (*it)[2].str());
    }
    return found;
}

const std::vector<std::string> kAllSections = {"gif s1", "q100 s2", "q90 s3",  "q80 s4",
                                               "q70 s5", "q60 s6",  "q50 s7",  "q40 s8",
                                               "q30 s9", "q20 s10", "q10 s11", "bmp s12"};

}  // namespace

TEST(BuildTestPage, MatchesTheConversionCommandFragmentForFragment) {
    Picture picture(3, 2, [](int x, int y) { return Rgb{std::uint8_t(80 * x), std::uint8_t(120 * y), 33}; });
    TempFolder folder;
    auto tag = [&](OutputFormat format, int quality) {
        ConversionRequest request;
        request.picture = picture.block.get();
        request.width = 3;
        request.height = 2;
        request.resizeMethod = kKeepSize;
        request.format = format;
        request.qualityText = std::to_string(quality);
        request.workFolder = folder.path();
        const ConversionOutcome outcome = ConvertPicture(request);
        EXPECT_TRUE(outcome.succeeded);
        EXPECT_LT(outcome.text.size(), 1000u) << "sizes below are written without grouping";
        return outcome.text;
    };
    int button = 0;
    auto section = [&](const std::string& heading, const std::string& text) {
        ++button;
        const std::string n = std::to_string(button);
        return "<hr><h3>" + heading + "</h3>\r\n" + text + "<br>" + kDataSize + std::to_string(text.size()) +
               kBytes + "<br>\r\n<input id=\"s" + n + "\" type=\"text\" value='" + text +
               "'><button onclick=\"f" + n +
               "()\"><img "
               "src=\"data:image/gif;base64,R0lGODdhEAAQAPAAAAAAAP///yH+A01JSQAh+QQJAAABACwAAAAAEAAQ"
               "AAACKIQfqQvcy+KDYdZklT08ejxl20VqXiM63QcZLQVyLpyV703VNZbLXAEAOw==\"></button><script>function "
               "f" +
               n + "(){var c = document.getElementById(\"s" + n +
               "\");c.select();document.execCommand(\"Copy\");}</script>";
    };
    std::string expected = kHead + "<h3>" + kOriginalImage + "</h3>\r\n" + tag(OutputFormat::kBmp, 0) +
                           SizeTable("3 x 2", kKeepAsItIs, "3 x 2") +
                           section("GIF", tag(OutputFormat::kGif, 0));
    // Qualities 20 and 10 are hidden: their 16-bit tables make tags of more than 999 bytes.
    for (int quality : {100, 90, 80, 70, 60, 50, 40, 30}) {
        expected += section("Jpeg(q=" + std::to_string(quality) + ")", tag(OutputFormat::kJpeg, quality));
    }
    expected += section("BMP", tag(OutputFormat::kBmp, 0)) + kTail;

    for (unsigned workers : {1u, 3u}) {
        PageOptions options;
        options.method = kKeepSize;
        options.flags = 0x180;
        options.workers = workers;
        TempFolder pageFolder;
        const TestPage page = BuildTestPage(picture.source, options, pageFolder.path());
        EXPECT_EQ(page.text, expected) << workers << " workers";
        EXPECT_TRUE(page.messages.empty());
    }
}

TEST(BuildTestPage, SizeTableStatesSourceMethodAndConvertedSize) {
    const struct {
        int method, width, height, side;
        std::string methodText, converted;
    } cases[] = {
        {kKeepSize, 30, 20, 430, kKeepAsItIs, "30 x 20"},
        {kLimitWidth, 30, 20, 430, kLimit, "30 x 20"},  // narrower than the side: kept
        {kLimitWidth, 860, 21, 430, kLimit, "430 x 11"},
        {kFixWidth, 100, 50, 430, kFix, "430 x 215"},
        {kFitSquare, 30, 20, 64, kSquare, "64 x 43"},  // smaller on both axes: enlarged
        {kFitSquare, 20, 40, 64, kSquare, "32 x 64"},
    };
    for (const auto& c : cases) {
        Picture picture(c.width, c.height, [](int, int) { return Rgb{1, 2, 3}; });
        FakeVariants fake;
        PageOptions options;
        options.method = c.method;
        options.side = c.side;
        const TestPage page = BuildTestPage(picture.source, options, "", fake.maker());
        const std::string source = std::to_string(c.width) + " x " + std::to_string(c.height);
        EXPECT_NE(page.text.find(SizeTable(source, c.methodText, c.converted)), std::string::npos)
            << c.method << " " << source;
    }
}

TEST(BuildTestPage, HideBitsLeaveOutTheirVariantAndNumberingFollowsThePage) {
    const struct {
        std::uint32_t bit;
        std::string name;
    } bits[] = {{0x40, "gif"},   {0x10000, "q100"}, {0x8000, "q90"},      {0x4000, "q80"}, {0x2000, "q70"},
                {0x1000, "q60"}, {0x800, "q50"},    {0x400, "q40"},       {0x200, "q30"},  {0x100, "q20"},
                {0x80, "q10"},   {0x20, "bmp"},     {0x20000, "original"}};
    Picture picture(30, 20, [](int, int) { return Rgb{1, 2, 3}; });
    for (const auto& b : bits) {
        FakeVariants fake;
        PageOptions options;
        options.method = kFixWidth;
        options.flags = b.bit;
        const TestPage page = BuildTestPage(picture.source, options, "", fake.maker());
        std::vector<std::string> expected;
        for (const std::string& s : kAllSections) {
            const std::string name = s.substr(0, s.find(' '));
            if (name != b.name) expected.push_back(name + " s" + std::to_string(expected.size() + 1));
        }
        EXPECT_EQ(Sections(page.text), expected) << b.name;
        const bool originalShown =
            page.text.find("<h3>" + kOriginalImage + "</h3>\r\n<img src=\"data:x;base64,original\">") !=
            std::string::npos;
        EXPECT_EQ(originalShown, b.name != "original") << b.name;
        EXPECT_NE(page.text.find(SizeTable("30 x 20", kFix, "430 x 287")), std::string::npos) << b.name;
    }

    FakeVariants fake;
    PageOptions options;
    options.flags = 0x3FFE0;
    const TestPage page = BuildTestPage(picture.source, options, "", fake.maker());
    EXPECT_EQ(page.text, kHead + SizeTable("30 x 20", kLimit, "30 x 20") + kTail);
    EXPECT_EQ(fake.made(), std::vector<std::string>{"gif"}) << "the hidden GIF gives the converted size";
}

TEST(BuildTestPage, FailedVariantsAreLeftOutAndAFailedJpegEndsTheSeries) {
    const struct {
        std::string failing;
        std::vector<std::string> sections;
    } cases[] = {
        {"q70", {"gif s1", "q100 s2", "q90 s3", "q80 s4", "bmp s5"}},
        {"q100", {"gif s1", "bmp s2"}},
        {"q10",
         {"gif s1", "q100 s2", "q90 s3", "q80 s4", "q70 s5", "q60 s6", "q50 s7", "q40 s8", "q30 s9",
          "q20 s10", "bmp s11"}},
        {"gif",
         {"q100 s1", "q90 s2", "q80 s3", "q70 s4", "q60 s5", "q50 s6", "q40 s7", "q30 s8", "q20 s9",
          "q10 s10", "bmp s11"}},
        {"bmp", std::vector<std::string>(kAllSections.begin(), kAllSections.end() - 1)},
        {"original", kAllSections},
    };
    Picture picture(30, 20, [](int, int) { return Rgb{1, 2, 3}; });
    for (const auto& c : cases) {
        std::string serialText;
        for (unsigned workers : {1u, 4u}) {
            FakeVariants fake({c.failing});
            PageOptions options;
            options.method = kFixWidth;
            options.workers = workers;
            const TestPage page = BuildTestPage(picture.source, options, "", fake.maker());
            EXPECT_EQ(Sections(page.text), c.sections) << c.failing << ", " << workers << " workers";
            EXPECT_EQ(page.messages, std::vector<const char*>{kMsgJpegWriteFailed}) << c.failing;
            EXPECT_EQ(page.text.find("<table>") != std::string::npos &&
                          page.text.find("</table>") == std::string::npos,
                      c.failing == "gif")
                << "without the GIF the converted size stays empty";
            if (workers == 1) {
                serialText = page.text;
                if (c.failing == "q70") {
                    EXPECT_EQ(fake.made(), (std::vector<std::string>{"original", "gif", "q100", "q90", "q80",
                                                                     "q70", "bmp"}));
                }
            } else {
                EXPECT_EQ(page.text, serialText) << c.failing;
            }
        }
    }
}

TEST(BuildTestPage, ParallelPageEqualsSerialPageForAPhotograph) {
    Picture picture(260, 170, NaturalPicture(260, 170));
    PageOptions options;
    options.method = kFitSquare;
    options.side = 100;
    TempFolder serialFolder, parallelFolder;
    const TestPage serial = BuildTestPage(picture.source, options, serialFolder.path());
    options.workers = 4;
    const TestPage parallel = BuildTestPage(picture.source, options, parallelFolder.path());
    EXPECT_TRUE(serial.messages.empty());
    EXPECT_GT(serial.text.size(), 40000u);
    EXPECT_EQ(parallel.text, serial.text);
}

TEST(BuildTestPage, UnusablePictureFailsEveryVariantWithItsMessage) {
    Picture picture(1000, 3, [](int, int) { return Rgb{1, 2, 3}; });
    PageOptions options;
    options.side = 100;  // 100 x 0
    TempFolder folder;
    const TestPage page = BuildTestPage(picture.source, options, folder.path());
    // The GIF, the first JPEG (which ends the series) and the BMP; the original keeps its size.
    EXPECT_EQ(page.messages.size(), 3u);
    for (const char* message : page.messages) EXPECT_STREQ(message, kMsgConversionError);
    EXPECT_EQ(page.text.find("<hr>"), std::string::npos);
}
