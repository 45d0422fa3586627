// Base64 with the standard alphabet and "=" padding, without line breaks.
#pragma once

#include <cstddef>

#include "platform/kernel.h"

// Characters that `count` bytes encode to, without a terminator.
constexpr std::size_t Base64Length(std::size_t count) {
    return (count + 2) / 3 * 4;
}

// Writes Base64Length(count) characters to `out`; no terminator.
void Base64EncodeTo(const BYTE* bytes, std::size_t count, char* out);
