// Reading a file whole: a GIF file for parsing.
#pragma once

#include <cstdint>

#include "platform/kernel.h"

// The whole file in a new movable global block of exactly its length; null for a missing,
// empty or unreadable file or when memory is short.
HGLOBAL LoadFileToGlobal(const char* path, std::uint32_t* size);
