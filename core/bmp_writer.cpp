#include "core/bmp_file.h"
#include "core/classic_file.h"

bool WriteBmpFile(PackedBitmap bitmap, const char* path) {
    if (!IsCompleteBitmap(bitmap)) return false;
    BitmapLock header(bitmap);
    if (!header) return false;
    const std::uint32_t headBytes = sizeof(BITMAPINFOHEADER) + 4 * ImpliedColourCount(*header.data());
    const std::uint32_t blockBytes = static_cast<std::uint32_t>(PackedBitmapBytes(*header.data()));

    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = kBmpSignature;
    fileHeader.bfSize = sizeof fileHeader + blockBytes;
    fileHeader.bfOffBits = sizeof fileHeader + headBytes;
    ClassicFile file = ClassicFile::Create(path);
    return file.is_open() && file.WriteExactly(&fileHeader, sizeof fileHeader) &&
           file.WriteExactly(header.data(), blockBytes) && file.Close();
}
