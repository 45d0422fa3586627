// The GIF reader: the first image of a GIF87a or GIF89a file, at its own size, as an 8-bit
// bitmap with the image's colour table. Extensions, transparency, the image's position and any
// further images play no part.
#pragma once

#include "codecs/gif/gif_status.h"
#include "core/packed_bitmap.h"

// `result` holds a new bitmap only on kGifReadOk. Image data that ends early leaves the rest of
// the picture at colour 0 and still succeeds.
GifReadStatus ReadGifFile(PackedBitmap* result, const char* path);
