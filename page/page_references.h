// What a page or style sheet says about its pictures: where each address lies in its bytes and
// what it reads as, and the img and input elements that sizes and placeholders may be added to.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "page/page_charset.h"
#include "page/text_span.h"

enum class ReferenceKind {
    kImgSrc,    // <img src>
    kSrcset,    // one candidate of <img srcset> or <picture><source srcset>
    kIcon,      // <link rel="icon" href>
    kInputSrc,  // <input type="image" src>
    kCssUrl,    // url() in a style sheet, a style element or a style attribute
};

constexpr std::size_t kNoElement = std::size_t(-1);

struct PageReference {
    ReferenceKind kind;
    TextSpan span;                     // the address's bytes in the page
    std::string url;                   // as the browser reads it: character references and escapes decoded
    std::size_t element = kNoElement;  // the img or input it belongs to, an index of `elements`
    // The unquoted attribute value it lies in, which a replacement puts in quotes.
    std::optional<TextSpan> unquotedValue;
};

// An attribute value as written: its bytes inside the quotes, if any.
struct AttributeValue {
    TextSpan span;
    bool quoted = true;
};

// An img or input element of the page.
struct PageElement {
    std::size_t afterName = 0;  // just past the tag name: where attributes may be added
    bool hasWidth = false, hasHeight = false, hasSrcset = false;
    std::optional<AttributeValue> style;
};

struct PageReferences {
    std::vector<PageReference> references;  // in the order of the page
    std::vector<PageElement> elements;
    std::optional<std::string> baseHref;  // the first <base href>, decoded
    PageCharset charset = PageCharset::kUtf8;
};
