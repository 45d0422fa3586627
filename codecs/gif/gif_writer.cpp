#include "codecs/gif/gif_writer.h"

// Not written yet: every call fails.
std::int32_t WriteGifFile(PackedBitmap, const char*) { return -1; }
