// Base64 sixteen or thirty-two characters at a time. Each encodes whole groups of three bytes
// from the start of `bytes` while it may load a full vector, and returns the bytes it took.
#pragma once

#include <cstddef>

#include "core/vector_level.h"
#include "platform/kernel.h"

#if defined(KORVI_X86)
std::size_t Base64EncodeSsse3(const BYTE* bytes, std::size_t count, char* out);
std::size_t Base64EncodeAvx2(const BYTE* bytes, std::size_t count, char* out);
#endif
