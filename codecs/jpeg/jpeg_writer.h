// The JPEG encoder: baseline (or extended, for 16-bit tables) JFIF, 4:2:0, standard tables.
#pragma once

#include <cstdint>

#include "codecs/jpeg/jpeg_status.h"
#include "core/packed_bitmap.h"

// Writes an 8-bit palette or 24-bit bitmap as a JPEG file of the given quality (any integer;
// below 1 counts as 1, above 100 as 100). Returns 0 on success, -1 when the file cannot be
// created, -2 when the bitmap cannot be locked, otherwise the positive JpegWriteStatus of the
// failing step; a partly written file then stays on disk.
JpegWriteStatus WriteJpegFile(PackedBitmap bitmap, const char* path, std::int32_t quality);
