#include "testpage/page_text.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <regex>
#include <thread>

#include "core/messages.h"
#include "testpage/hidden_variants.h"
#include "testpage/page_encoding.h"
#include "testpage/page_fragments.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/files.h"

namespace {

// The page's Japanese texts in Shift_JIS, taken from the code page's table.
const std::string kOriginalImage = "\x8c\xb3\x82\xcc\x89\xe6\x91\x9c";  // 元の画像
const std::string kSize = "\x83\x54\x83\x43\x83\x59:";                  // サイズ:
const std::string kConverted =
    "\x95\xcf\x8a\xb7\x82\xb5\x82\xbd\x89\xe6\x91\x9c" + kSize;    // 変換した画像サイズ:
const std::string kDataSize = "\x83\x66\x81\x5b\x83\x5e" + kSize;  // データサイズ:
const std::string kBytes = "\x83\x6f\x83\x43\x83\x67";             // バイト
const std::string kHead = "<html><head><meta charset=\"Shift_JIS\"></head>\r\n<body>";

std::string SizeTable(const std::string& source, int method, const std::string& converted) {
    return "<br><table><tr><td align=\"right\">" + kOriginalImage + kSize + "</td><td>" + source +
           "</td></tr>\r\n<tr><td align=\"right\">\x95\xcf\x8d\x58\x95\xfb\x96\x40:</td><td>" +
           ShiftJisText(MethodText(method, 430)) + "</td></tr>\r\n<tr><td align=\"right\">" + kConverted +
           "</td><td>" + converted + "</td></tr></table>\r\n";
}

struct Page {
    std::string text;
    std::vector<const char*> messages;
};

// The page joined into one text, with its tags made by `make`, or as the program makes them.
Page WholePage(const PageSource& source, const PageOptions& options, const std::string& folder,
               const VariantMaker& make = nullptr) {
    Page page;
    const PageWriter write = [&page](const std::string& piece) {
        page.text += piece;
        return true;
    };
    const WrittenPage written = make ? StreamTestPage(source, options, folder, write, make)
                                     : StreamTestPage(source, options, folder, write);
    page.messages = written.messages;
    return page;
}

// A 30 x 20 picture fixed to a width of 430, with tags that name their variant ("original", "gif",
// "q70", "bmp") made at once, but for the variant named `failing`: the sections' names in order.
struct FakePage {
    FakePage(std::uint32_t flags, unsigned workers, const std::string& failing = "") {
        GlobalBlock block = MakeBitmap24(30, 20, [](int, int) { return Rgb{1, 2, 3}; });
        PageOptions options;
        options.method = kFixWidth;
        options.flags = flags;
        options.workers = workers;
        std::mutex mutex;
        std::map<std::string, std::thread::id> folders;
        auto fake = [&](const VariantPicture& picture, const Encoding& encoding, const std::string& folder) {
            const std::string name = encoding.format == OutputFormat::kJpeg
                                         ? "q" + std::to_string(encoding.quality)
                                     : encoding.format == OutputFormat::kGif ? "gif"
                                     : picture.width() == 30 ? "original"  // the source keeps 30
                                                             : "bmp";
            std::lock_guard<std::mutex> hold(mutex);
            made.push_back(name);
            const auto [user, first] = folders.emplace(folder, std::this_thread::get_id());
            EXPECT_TRUE(first || user->second == std::this_thread::get_id())
                << "each thread has a folder of its own";
            ConversionOutcome outcome;
            outcome.succeeded = name != failing;
            outcome.text = "<img src=\"data:x;base64," + name + "\">";
            outcome.message = kMsgJpegWriteFailed;
            return outcome;
        };
        TempFolder folder;
        page = WholePage(PageSource{block.get(), 30, 20}, options, folder.path(), fake);
        static const std::regex section(
            "<hr><h3>[^<]*</h3>\r\n<img src=\"data:x;base64,([a-z0-9]*)\"><br>[^<]*"
            "<br>\r\n<input id=\"(s[0-9]+)\"");
        int button = 0;
        for (std::sregex_iterator it(page.text.begin(), page.text.end(), section), end; it != end; ++it) {
            sections += (sections.empty() ? "" : " ") + (*it)[1].str();
            EXPECT_EQ((*it)[2].str(), "s" + std::to_string(++button)) << "buttons are numbered as shown";
        }
    }
    Page page;
    std::vector<std::string> made;
    std::string sections;
};

const std::string kAllSections = "gif q100 q90 q80 q70 q60 q50 q40 q30 q20 q10 bmp";

}  // namespace

TEST(StreamTestPage, WritesThePageFragmentForFragment) {
    const FakePage fake(0xFF80, 1);  // qualities 90 to 10 hidden
    int button = 1;
    // The copy button's markup is the browser check's: here, that each section has its own.
    auto section = [&](const std::string& heading, const std::string& name) {
        const std::string tag = "<img src=\"data:x;base64," + name + "\">";
        const CopyButton copy = BuildCopyButton(button);
        return "<hr><h3>" + heading + "</h3>\r\n" + tag + "<br>" + kDataSize + std::to_string(tag.size()) +
               kBytes + "<br>\r\n" + copy.before + tag + copy.after;
    };
    std::string expected = kHead + "<h3>" + kOriginalImage + "</h3>\r\n<img src=\"data:x;base64,original\">" +
                           SizeTable("30 x 20", kFixWidth, "430 x 287") + section("GIF", "gif");
    expected += section("Jpeg(q=100)", "q100");
    EXPECT_EQ(fake.page.text, expected + section("BMP", "bmp") + "</body></html>");
}

TEST(StreamTestPage, HideBitsLeaveOutTheirVariantAndNumberingFollowsThePage) {
    const FakePage some(*ParseHiddenVariants("original,q90,bmp"), 1);
    EXPECT_EQ(some.sections, "gif q100 q80 q70 q60 q50 q40 q30 q20 q10");
    EXPECT_EQ(some.page.text.find("base64,original"), std::string::npos);

    const FakePage allHidden(0x3FFE0, 1);
    EXPECT_EQ(allHidden.page.text, kHead + SizeTable("30 x 20", kFixWidth, "430 x 287") + "</body></html>");
    EXPECT_EQ(allHidden.made, std::vector<std::string>{"gif"}) << "the hidden GIF gives the converted size";
}

TEST(StreamTestPage, FailedVariantsAreLeftOutAndAFailedJpegEndsTheSeries) {
    const struct {
        std::string failing, sections;
    } cases[] = {
        {"q70", "gif q100 q90 q80 bmp"},
        {"gif", kAllSections.substr(4)},
        {"original", kAllSections},
    };
    for (const auto& c : cases) {
        const FakePage serial(0, 1, c.failing), parallel(0, 4, c.failing);
        EXPECT_EQ(serial.sections, c.sections) << c.failing;
        EXPECT_EQ(serial.page.messages, std::vector<const char*>{kMsgJpegWriteFailed}) << c.failing;
        EXPECT_EQ(parallel.page.text, serial.page.text) << c.failing;
        EXPECT_EQ(parallel.page.messages, serial.page.messages) << c.failing;
        EXPECT_EQ(serial.page.text.find("</table>") == std::string::npos, c.failing == "gif")
            << "without the GIF the converted size stays empty";
    }
    const FakePage q70(0, 1, "q70");
    EXPECT_EQ(q70.made, (std::vector<std::string>{"original", "gif", "q100", "q90", "q80", "q70", "bmp"}));
}
