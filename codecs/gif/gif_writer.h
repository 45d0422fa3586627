// The GIF writer: GIF87a, one interlaced image with a global colour table.
#pragma once

#include "codecs/gif/gif_status.h"
#include "core/packed_bitmap.h"

// Writes a 1, 4 or 8-bit bitmap. Returns 0 on success, -1 when the file cannot be created or
// a write is short, -4 for an unsupported bitmap, -6 when memory is short.
GifWriteStatus WriteGifFile(PackedBitmap bitmap, const char* path);
