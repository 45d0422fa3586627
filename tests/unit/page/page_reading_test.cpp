#include <gtest/gtest.h>

#include "page/character_references.h"
#include "page/css_urls.h"
#include "page/html_references.h"
#include "page/srcset.h"
#include "tests/unit/page/page_test_support.h"

namespace {

using Lines = std::vector<std::string>;

}  // namespace

// Pages of the shapes the web has: what a browser fetches as a picture is found, with its
// character references and escapes read; what it does not (scripts with their escaped text,
// comments, CDATA in SVG, strings, text areas, end tags' attributes, SVG's own images and style,
// other link relations, a source outside a picture) is not.
TEST(ReadPageReferences, FindsThePicturesABrowserWouldFetchInRealShapedPages) {
    const struct {
        std::string page;
        Lines found;
    } cases[] = {
        {"blog.html",
         {"icon favicon.ico", "css img/bg.png", "css img/external.svg", "img img/logo.png",
          "srcset img/kyoto.webp", "srcset img/kyoto@2x.webp", "img img/kyoto.jpg", "srcset img/kyoto.jpg",
          "srcset img/kyoto@2x.jpg", "css img/dot.gif", "img https://cdn.example.com/map.png",
          "img //cdn.example.com/map-small.png", "img data:image/gif;base64,R0lGODlhAQABAAAAACw=",
          "img \xE5\x86\x99\xE7\x9C\x9F/\xE5\xA4\x9C\xE6\x99\xAF.jpg", "img img/sizes.jpg",
          "srcset img/s-320.jpg", "srcset img/s-640.jpg"}},
        {"table.html",
         {"img img/spacer.gif", "img img/title.gif", "img img/a&b.png <- img/a&amp;b.png", "input img/go.gif",
          "img img/x.png?v=1&t=2#top <- img/x.png?v=1&amp;t=2#top", "img img/slash.png <- img&#x2F;slash.png",
          "img img/caf\xC3\xA9.png <- img/caf&eacute;.png", "img img/%E6%97%A5.png"}},
        {"svg.html",
         {"css #g", "img img/in-foreign-object.png", "css filters.svg#blur", "img img/breaks-out-of-math.png",
          "css img/desc-style.png", "css img/p-closes-svg.png", "img img/after.png"}},
        {"broken.html",
         {"img img/first.png", "img img/slash.png", "img ", "img   img/blanks.png\t",
          "img img/after-abrupt-comment.png", "img img/noscript.png", "img img/template.png",
          "img img/fostered.png", "img img/in-select.png", "img img/image-tag.png", "input img/input.png",
          "icon icons/a.ico", "img ../up.png", "img img/after-double-escaped-script.png",
          "img img/after-short-comment.png", "img img/after-html-cdata.png", "srcset img/picture-source.png",
          "img img/picture.png"}},
        // Shift_JIS: the second byte of 表 is "\", which neither escapes in CSS nor separates.
        {"shift_jis.html",
         {"css \x89\xe6\x91\x9c\x95\x5c.gif <- \x89\xe6\x91\x9c\x5c\x95\x5c.gif",
          "img \x89\xe6\x91\x9c\x5c\x95\x5c.png", "img \x83\x5c\x83\x74\x83\x67/\x83\x8d\x83\x53.gif"}},
        {"bom.html", {"img img/bom.png"}},
        {"site.css",
         {"css img/bg.png", "css img/quoted.png", "css img/upper.png", "css img/escaped-name.png",
          "css img/a b.png <- img/a\\ b.png", "css img/123.png <- img/\\31 23.png", "css img/after-bad.png",
          "css img/string.cur <- img/str\\\r\ning.cur", "css img/wide.png", "css img/eof.png"}},
    };
    for (const auto& c : cases) {
        const std::string text = PageText(c.page);
        EXPECT_EQ(Described(ReadPage(c.page, text), text), c.found) << c.page;
    }
    EXPECT_EQ(ReadPage("broken.html", PageText("broken.html")).baseHref, "sub/");
}

// The values an attribute holds as the HTML parser reads them, and where in the raw value each
// decoded byte came from.
TEST(DecodeAttributeValue, ReadsCharacterReferencesAsTheHtmlParserDoes) {
    const struct {
        const char* value;
        const char* text;
    } cases[] = {
        {"a&amp;b", "a&b"},
        {"&lt;&gt;&quot;&apos;", "<>\"'"},
        {"&amp", "&"},
        {"&ampx", "&ampx"},  // a name without ";" stays itself before a letter, digit or "="
        {"&amp=", "&amp="},
        {"&amp;x", "&x"},
        {"&notit;", "&notit;"},
        {"&notin;", "\xE2\x88\x89"},
        {"&not", "\xC2\xAC"},
        {"&noti", "&noti"},
        {"&nosuch;", "&nosuch;"},
        {"&#65;&#x42;&#X43", "ABC"},
        {"&#;&#x;&#", "&#;&#x;&#"},
        {"&#0;&#x110000;&#xD800;&#99999999999999;", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"&#128;&#x9F;&#x81;", "\xE2\x82\xAC\xC5\xB8\xC2\x81"},
        {"&frac12x", "&frac12x"},
        {"&AMP;&Amp;", "&&Amp;"},
        {"&&amp;", "&&"},
        {"a&#10;b", "a\nb"},
        {"caf&eacute;", "caf\xC3\xA9"},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeAttributeValue(c.value).text, c.text) << c.value;
    const DecodedText decoded = DecodeAttributeValue("x&lt;y&NotEqualTilde;\xff");
    EXPECT_EQ(decoded.text, "x<y\xE2\x89\x82\xCC\xB8\xff");
    EXPECT_EQ(decoded.origin, (std::vector<std::size_t>{0, 1, 5, 6, 6, 6, 6, 6, 21, 22}));
}

TEST(SrcsetUrls, SplitsCandidatesAsTheSrcsetParserDoes) {
    const struct {
        const char* value;
        Lines urls;
    } cases[] = {
        {"a.png", {"a.png"}},
        {" a.png 1x , b.png 2x ", {"a.png", "b.png"}},
        {"a.png,b.png 2x", {"a.png,b.png"}},  // a comma inside an address is part of it
        {"a.png, b.png", {"a.png", "b.png"}},
        {"a.png,,, b.png 100w", {"a.png", "b.png"}},
        {"a.png foo(1, 2) 2x, b.png", {"a.png", "b.png"}},  // no comma ends a candidate inside parentheses
        {"data:image/gif;base64,AA== 1x,c.png", {"data:image/gif;base64,AA==", "c.png"}},
        {",\t\n", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        Lines urls;
        const std::string value = c.value;
        for (const TextSpan& span : SrcsetUrls(value))
            urls.push_back(value.substr(span.start, span.end - span.start));
        EXPECT_EQ(urls, c.urls) << c.value;
    }
}

// The tokenizer's corners, each beside a url() it must still find.
TEST(CssPictureUrls, TokenisesAsCssDoes) {
    const struct {
        const char* css;
        Lines urls;
    } cases[] = {
        {"a{b:url(x.png)}", {"x.png"}},
        {"url(  x.png  )", {"x.png"}},
        {"url(\"a\\\"b.png\")url('c.png'", {"a\"b.png", "c.png"}},
        {"url(\n 'x.png' \n)", {"x.png"}},
        {"\\75 rl(x.png) \\55RL(y.png)", {"x.png", "y.png"}},
        {"10url(no.png) #url(no.png) @url(no.png) -url(no.png) url(ok.png)", {"ok.png"}},
        {"url(a b.png) url(a(.png) url(ok.png)", {"ok.png"}},  // bad urls name nothing
        {"'a\nurl(x.png)", {"x.png"}},                         // a bad string ends at its line
        {"/* url(no.png) */ url(/**/x.png)", {"/**/x.png"}},
        {"<!--url(x.png)--> a<url(y.png)", {"x.png", "y.png"}},
        {"url(a\\\n.png) url(ok.png)", {"ok.png"}},  // a backslash before a line break escapes nothing
        {"url()", {""}},
        {"url(x.png", {"x.png"}},
        {"@import url(no.css); @namespace url(no); @font-face{src:url(no.woff)} url(ok.png)", {"ok.png"}},
        {"@font-face{a{b:url(no.png)}} @media x{a{b:url(ok.png)}}", {"ok.png"}},
        {"image-set(\"no.png\" 1x) url(\"ok.png\" x)", {"ok.png"}},
        {"\xEF\xBB\xBFurl(x.png)", {"x.png"}},
        {"url(a\\0 .png) url(b\\110000.png)", {"a\xEF\xBF\xBD.png", "b\xEF\xBF\xBD.png"}},
    };
    for (const auto& c : cases) {
        Lines urls;
        for (const UrlAt& url : CssPictureUrls(c.css, PageCharset::kUtf8)) urls.push_back(url.url);
        EXPECT_EQ(urls, c.urls) << c.css;
    }
}
