// Feeds arbitrary bytes to the JPEG decoder as a whole file, and turns what it reads upright by
// the file's Exif orientation as the loader does. Pictures are held to a fraction of the
// program's limit (and with them the scans' work, which the frame bounds) so that every input
// runs quickly under the sanitisers.
#include "codecs/jpeg/decoder/jpeg_decoder.h"
#include "codecs/jpeg/exif_orientation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    jpeg::decoder::DecodeLimits limits;
    limits.maxPixels = std::int64_t{1} << 20;
    PackedBitmap picture = nullptr;
    const int orientation = ExifOrientation(data, size);
    if (jpeg::decoder::DecodeJpeg(data, size, limits, &picture) == 0)
        GlobalFree(TurnUpright(picture, orientation));
    return 0;
}
