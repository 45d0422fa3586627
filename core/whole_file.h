// Reading a file whole: an encoded work file back for base64 encoding, a GIF file for parsing.
#pragma once

#include <cstdint>

#include "platform/kernel.h"

// The whole file in a malloc'd buffer 16 bytes longer than the file, with a zero byte behind
// the contents; null for a missing, empty or unreadable file.
BYTE* ReadWholeFile(const char* path, std::uint32_t* size);

// The whole file in a new movable global block of exactly its length; null for a missing,
// empty or unreadable file or when memory is short.
HGLOBAL LoadFileToGlobal(const char* path, std::uint32_t* size);
