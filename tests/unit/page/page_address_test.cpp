#include <gtest/gtest.h>

#include "page/page_address.h"

namespace {

// "local PATH", "self", "data", "remote" or "unresolvable: WHY".
std::string Described(const Address& address) {
    switch (address.kind) {
        case AddressKind::kSelf:
            return "self";
        case AddressKind::kData:
            return "data";
        case AddressKind::kRemote:
            return "remote";
        case AddressKind::kUnresolvable:
            return "unresolvable: " + address.why;
        case AddressKind::kLocal:
            break;
    }
    return "local " + address.path;
}

}  // namespace

// A page at site/page.html with its root-relative paths under root/, read as a browser reads
// relative URLs of a file, and a web server its document root.
TEST(ResolveAddress, ReadsAnAddressAsABrowserReadsAUrlRelativeToTheFile) {
    const AddressBase base = FileBase("site/page.html", "root");
    const struct {
        const char* url;
        std::string resolved;
        PageCharset charset = PageCharset::kUtf8;
    } cases[] = {
        {"img/a.png", "local site/img/a.png"},
        {"./img/../a.png", "local site/a.png"},
        {"../../a.png", "local site/../../a.png"},  // past the page's folder, as the file system goes
        {"/img/a.png", "local root/img/a.png"},
        {"/../../a.png", "local root/a.png"},  // never above the root
        {"img\\a.png", "local site/img/a.png"},
        {" \timg/a.png\r\n", "local site/img/a.png"},
        {"im\ng/a.\tpng", "local site/img/a.png"},
        {"a%20b%zz.pn%67", "local site/a b%zz.png"},
        {"%2e%2E/a.png", "local site/../a.png"},
        {"a.png?x=1#y", "local site/a.png"},
        {"\x95\x5c.png", "local site/\x95\x5c.png", PageCharset::kShiftJis},
        {"\x95\x5c.png", "local site/\x95/.png"},
        {"a%2Fb.png", "unresolvable: an escaped separator or NUL in its path"},
        {"a%00.png", "unresolvable: an escaped separator or NUL in its path"},
        {"img/", "unresolvable: a folder, not a file"},
        {"..", "unresolvable: a folder, not a file"},
        {"file:///a.png", "unresolvable: a file: address, not a file of the page"},
        {"C:\\a.png", "unresolvable: a c: address, not a file of the page"},
        {"", "self"},
        {" #top", "self"},
        {"?q=1", "self"},
        {"DATA:image/png;base64,AA", "data"},
        {"HTTPS://example.com/a.png", "remote"},
        {"//example.com/a.png", "remote"},
        {"\\\\example.com\\a.png", "remote"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Described(ResolveAddress(c.url, base, c.charset)), c.resolved) << c.url;

    const struct {
        const char* href;
        const char* url;
        std::string resolved;
    } bases[] = {
        {"sub/", "a.png", "local site/sub/a.png"},
        {"sub/index.html", "../a.png", "local site/sub/../a.png"},
        {"/assets/", "a.png", "local root/assets/a.png"},
        {"https://cdn.example.com/", "a.png", "remote"},
        {"#top", "a.png", "local site/a.png"},
    };
    for (const auto& c : bases) {
        EXPECT_EQ(Described(ResolveAddress(c.url, BaseOfHref(c.href, base, PageCharset::kUtf8),
                                           PageCharset::kUtf8)),
                  c.resolved)
            << c.href;
    }
    EXPECT_EQ(Described(ResolveAddress("/a.png", FileBase("page.html", ""), PageCharset::kUtf8)),
              "local a.png");
}
