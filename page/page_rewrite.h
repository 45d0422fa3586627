// A page rewritten where its references are replaced, and nowhere else: every other byte of it
// stays as it was.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "page/page_references.h"

// What a rewrite adds to an img or input element.
struct ElementAddition {
    // The size to give an element that has neither width nor height: the picture's own, where
    // the picture was made smaller.
    std::optional<std::pair<int, int>> size;
    std::string_view placeholder;  // a data URI to show behind the picture; empty for none
};

// One change: the bytes of `span` (none for an insertion) become before + uri + after.
struct PageEdit {
    TextSpan span;
    std::string before;
    std::string_view uri;
    std::string after;
};

// The changes that put uris[i] in place of reference i (an empty one keeps it) and make the
// additions to element i; an unquoted attribute value that changes is put in double quotes. The
// changes come in the order of the page; none overlaps another.
std::vector<PageEdit> PageEdits(const PageReferences& page, const std::vector<std::string_view>& uris,
                                const std::vector<ElementAddition>& additions);

// The page's bytes with the changes made, piece by piece; false as soon as `write` fails.
bool WriteEditedPage(std::string_view page, const std::vector<PageEdit>& edits,
                     const std::function<bool(std::string_view)>& write);

// The page's length after the changes.
std::size_t EditedLength(std::string_view page, const std::vector<PageEdit>& edits);
