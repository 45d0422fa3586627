// The picture references of an HTML page, read with the HTML5 parser gumbo: which elements
// and attributes hold them, and where their bytes lie.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "page/page_references.h"

// The largest page read: gumbo holds some hundred bytes for each element.
constexpr std::size_t kMaxPageBytes = std::size_t{16} << 20;

struct HtmlReading {
    std::optional<PageReferences> references;
    std::string failure;  // why the page is not read, when it is not
};

// <img src> and srcset, <picture><source srcset>, <link rel="icon" href>, <input type="image"
// src>, and the url() of <style> elements and style attributes. A page larger than
// kMaxPageBytes, or one whose elements nest so deep that the parser would take too long, is
// not read.
HtmlReading ReadHtmlReferences(std::string_view page);

// The url() of a style sheet.
PageReferences ReadCssReferences(std::string_view sheet);
