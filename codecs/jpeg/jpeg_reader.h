// The JPEG decoder: baseline, extended and progressive Huffman-coded files of 8-bit grey or
// colour samples, into a 24-bit picture.
#pragma once

#include "codecs/jpeg/jpeg_status.h"
#include "core/packed_bitmap.h"

// Reads a JPEG file into a new bottom-up 24-bit picture in `result` and returns 0, or returns a
// negative JpegReadStatus with `result` null. A file cut short decodes as if the rest of its
// data were zero bits. `orientation`, when given, receives the file's Exif orientation.
JpegReadStatus ReadJpegFile(PackedBitmap* result, const char* path, int* orientation = nullptr);
