// The picture addresses of a style sheet, a style element or a style attribute: the url()
// values, found by tokenising the text as CSS Syntax Level 3 does, so that comments, strings and
// escapes are read as a browser reads them.
#pragma once

#include <string_view>
#include <vector>

#include "page/page_charset.h"
#include "page/text_span.h"

// Every url() of the text in order, but those of @import and @namespace rules and of @font-face
// blocks, which name no pictures: each address inside url( ) without the blanks around it, or
// inside its quotes, and as it reads with its escapes.
std::vector<UrlAt> CssPictureUrls(std::string_view css, PageCharset charset);
