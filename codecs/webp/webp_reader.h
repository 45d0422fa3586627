// The WebP reader over libwebp: still pictures, lossy or lossless, and the first frame of an
// animation in its place on the canvas, as 24-bit bitmaps. Transparency, and the canvas around
// a smaller first frame, are composed over the caller's background colour.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codecs/webp/webp_status.h"
#include "core/packed_bitmap.h"

// kWebpReadOk with a new bitmap in `result`, which is null on every failure. The size limits are
// checked before the picture is allocated. `background` is a COLORREF, 0x00BBGGRR.
WebpReadStatus DecodeWebp(PackedBitmap* result, const std::uint8_t* data, std::size_t size,
                          std::uint32_t background);

// The same for a file; one that does not start with RIFF....WEBP is refused before it is read whole.
WebpReadStatus ReadWebpFile(PackedBitmap* result, const char* path, std::uint32_t background);

// The canvas size the first bytes of a WebP file state, when they hold its first chunk's header.
bool WebpCanvasSize(const std::uint8_t* data, std::size_t size, int* width, int* height);
