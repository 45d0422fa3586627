// What ReadGifFile returns: the statuses every reader shares (0, -1, -3, -6) and these.
#pragma once

#include <cstdint>

#include "core/reader_status.h"

constexpr std::int32_t kGifExtensionPastEnd = -20;  // an extension's sub-blocks run past the end
constexpr std::int32_t kGifTrailerFirst = -21;      // the trailer comes before any image
constexpr std::int32_t kGifStrayByte = -22;         // no block starts with this byte
constexpr std::int32_t kGifNoImage = -24;           // the file ends before any image
constexpr std::int32_t kGifNoColourTable = -25;     // neither a global nor a local table
constexpr std::int32_t kGifZeroWidth = -26;
constexpr std::int32_t kGifZeroHeight = -27;
constexpr std::int32_t kGifBadCodeSize = -28;      // LZW minimum code size outside 2 to 11
constexpr std::int32_t kGifBadFirstCode = -29;     // the first code after a clear is not a root
constexpr std::int32_t kGifUndefinedPrefix = -30;  // a new entry would extend an undefined code
constexpr std::int32_t kGifUndefinedCode = -31;    // a code beyond the table follows an undefined one
