// The picture references of an HTML page, read by the page's tokenizer and what its open
// elements tell: which elements and attributes hold them, and where their bytes lie.
#pragma once

#include <cstddef>
#include <string_view>

#include "page/page_references.h"

// The largest page read: reading takes time and memory in proportion to the page.
constexpr std::size_t kMaxPageBytes = std::size_t{16} << 20;

// <img src> and srcset, <picture><source srcset>, <link rel="icon" href>, <input type="image"
// src>, and the url() of <style> elements and style attributes.
PageReferences ReadHtmlReferences(std::string_view page);

// The url() of a style sheet.
PageReferences ReadCssReferences(std::string_view sheet);
