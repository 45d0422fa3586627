// A stretch of a text, by offsets, and an address found there.
#pragma once

#include <cstddef>
#include <string>

struct TextSpan {
    std::size_t start = 0, end = 0;  // [start, end)

    bool operator==(const TextSpan& other) const { return start == other.start && end == other.end; }
};

// An address as written at `span`, and as it reads (escapes or references decoded).
struct UrlAt {
    TextSpan span;
    std::string url;
};
