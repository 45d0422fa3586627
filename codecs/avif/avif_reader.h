// The AVIF reader: the primary picture of a file, a grid of pictures, or the first frame of a
// sequence, decoded by libaom into a 24-bit bitmap. Transparency is composed over the caller's
// background colour.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codecs/avif/avif_status.h"
#include "core/packed_bitmap.h"

// kAvifReadOk with a new bitmap in `result`, which is null on every failure. The size limits are
// checked before the picture is allocated or decoded. `background` is a COLORREF, 0x00BBGGRR.
AvifReadStatus DecodeAvif(PackedBitmap* result, const std::uint8_t* data, std::size_t size,
                          std::uint32_t background);

// The same for a file; one whose file type box names no AVIF brand is refused before it is read whole.
AvifReadStatus ReadAvifFile(PackedBitmap* result, const char* path, std::uint32_t background);
