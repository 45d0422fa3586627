#include "codecs/jpeg/jpeg_writer.h"

// Not written yet: every call fails.
std::int32_t WriteJpegFile(PackedBitmap, const char*, std::int32_t) { return -1; }
