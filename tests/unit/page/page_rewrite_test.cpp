#include <gtest/gtest.h>

#include "page/html_references.h"
#include "page/page_rewrite.h"
#include "tests/unit/page/page_test_support.h"

namespace {

std::string Edited(const std::string& page, const std::vector<std::string_view>& uris,
                   const std::vector<ElementAddition>& additions) {
    const std::vector<PageEdit> edits = PageEdits(ReadHtmlReferences(page), uris, additions);
    std::string written;
    EXPECT_TRUE(WriteEditedPage(page, edits, [&](std::string_view piece) {
        written.append(piece.data(), piece.size());
        return true;
    }));
    EXPECT_EQ(EditedLength(page, edits), written.size());
    return written;
}

}  // namespace

// The replaced addresses, and where sizes and placeholders go; unquoted values are put in quotes
// so that the data URI's "=" and "/" read as they should.
TEST(PageEdits, ReplacesAddressesAndAddsSizesAndPlaceholders) {
    const ElementAddition sized{std::make_pair(430, 300), {}}, placeholder{std::nullopt, "data:P"};
    const ElementAddition both{std::make_pair(430, 300), "data:P"};
    const std::string background = "background:url(data:P) 0 0/100% 100% no-repeat";
    const struct {
        std::string page;
        std::vector<std::string_view> uris;
        std::vector<ElementAddition> additions;
        std::string edited;
    } cases[] = {
        {"<img src=\"a.png\" alt=x>", {"data:U"}, {}, "<img src=\"data:U\" alt=x>"},
        {"<img src=a.png alt=x>", {"data:U"}, {}, "<img src=\"data:U\" alt=x>"},
        {"<img src=a.png alt=x>", {""}, {}, "<img src=a.png alt=x>"},
        {"<img srcset='a.png 1x,b.png 2x'>", {"", "data:U"}, {}, "<img srcset='a.png 1x,data:U 2x'>"},
        {"<img srcset=a.png,>", {"data:U"}, {}, "<img srcset=\"data:U,\">"},
        {"<p style=background:url(a.png),url(b.png)>",
         {"data:U", "data:V"},
         {},
         "<p style=\"background:url(data:U),url(data:V)\">"},
        {"<img src=\"a.png\">", {"data:U"}, {sized}, "<img width=\"430\" height=\"300\" src=\"data:U\">"},
        {"<img width=50% src=\"a.png\">", {"data:U"}, {sized}, "<img width=50% src=\"data:U\">"},
        {"<img/src=a.png>", {"data:U"}, {sized}, "<img width=\"430\" height=\"300\"/src=\"data:U\">"},
        {"<img src=\"big.jpg\">", {""}, {placeholder}, "<img style=\"" + background + "\" src=\"big.jpg\">"},
        {"<IMG SRC=big.jpg style='border:0'>",
         {""},
         {both},
         "<IMG width=\"430\" height=\"300\" SRC=big.jpg style='" + background + ";border:0'>"},
        {"<img style=background-image:url(a.png) src=big.jpg>",
         {"data:U", ""},
         {placeholder},
         "<img style=\"" + background + ";background-image:url(data:U)\" src=big.jpg>"},
    };
    for (const auto& c : cases) EXPECT_EQ(Edited(c.page, c.uris, c.additions), c.edited) << c.page;
}

// Every quoted address of the test pages replaced, then both pages read again: the same
// references in the same order, the replaced ones now the data URIs, and every byte between
// them the same.
TEST(PageEdits, ChangeNoByteOfThePageOutsideTheReplacedAddresses) {
    for (const char* name :
         {"blog.html", "table.html", "svg.html", "broken.html", "shift_jis.html", "bom.html", "site.css"}) {
        const std::string page = PageText(name);
        const PageReferences before = ReadPage(name, page);
        std::vector<std::string> uris;
        for (std::size_t i = 0; i < before.references.size(); ++i)
            uris.push_back(
                before.references[i].unquotedValue ? "" : "data:image/png;base64,AA" + std::to_string(i));
        const std::vector<std::string_view> views(uris.begin(), uris.end());
        std::string edited;
        WriteEditedPage(page, PageEdits(before, views, {}), [&](std::string_view piece) {
            edited.append(piece.data(), piece.size());
            return true;
        });
        const PageReferences after = ReadPage(name, edited);
        ASSERT_EQ(after.references.size(), before.references.size()) << name;
        std::size_t from = 0, to = 0;
        for (std::size_t i = 0; i < before.references.size(); ++i) {
            const TextSpan was = before.references[i].span, is = after.references[i].span;
            EXPECT_EQ(after.references[i].kind, before.references[i].kind) << name << " " << i;
            EXPECT_EQ(after.references[i].url, uris[i].empty() ? before.references[i].url : uris[i]) << name;
            EXPECT_EQ(edited.substr(to, is.start - to), page.substr(from, was.start - from))
                << name << " " << i;
            from = was.end;
            to = is.end;
        }
        EXPECT_EQ(edited.substr(to), page.substr(from)) << name;
    }
}
