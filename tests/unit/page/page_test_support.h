// The pages of tests/unit/page/pages and what the readers find in them.
#pragma once

#include <string>
#include <vector>

#include "page/page_references.h"

// The bytes of the page of that name.
std::string PageText(const std::string& name);

// The page's references read as HTML, or as CSS for a ".css" name.
PageReferences ReadPage(const std::string& name, const std::string& text);

// One line for each reference: its kind, the address as it reads, and " <- " with its bytes in
// the page where they differ: "img img/a&b.png <- img/a&amp;b.png".
std::vector<std::string> Described(const PageReferences& references, const std::string& text);
