#include "pipeline/picture_signature.h"

#include <cstring>

namespace {

bool StartsWith(const std::uint8_t* bytes, std::size_t count, const char* prefix, std::size_t length) {
    return count >= length && std::memcmp(bytes, prefix, length) == 0;
}

bool IsJpegStart(const std::uint8_t* bytes, std::size_t count) {
    return count >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

// Version 0, a name of 1 to 63 characters, the type "JPEG" at 65, the data fork at 128.
bool IsMacBinaryJpeg(const std::uint8_t* bytes, std::size_t count) {
    return count >= kSignatureBytes && bytes[0] == 0 && bytes[1] >= 1 && bytes[1] <= 63 &&
           std::memcmp(bytes + 65, "JPEG", 4) == 0 && IsJpegStart(bytes + 128, count - 128);
}

}  // namespace

char ReaderForFirstBytes(const std::uint8_t* bytes, std::size_t count) {
    if (IsJpegStart(bytes, count) || IsMacBinaryJpeg(bytes, count)) return 'j';
    if (StartsWith(bytes, count, "\x89PNG\r\n\x1A\n", 8)) return 'p';
    if (StartsWith(bytes, count, "GIF87a", 6) || StartsWith(bytes, count, "GIF89a", 6)) return 'g';
    if (StartsWith(bytes, count, "BM", 2)) return 'b';
    return 0;
}
