#include "core/bmp_file.h"
#include "core/classic_file.h"

BmpWriteStatus WriteBmpFile(PackedBitmap bitmap, const char* path) {
    if (!IsCompleteBitmap(bitmap)) return kBmpCannotLock;
    BitmapLock header(bitmap);
    if (!header) return kBmpCannotLock;
    const std::uint32_t headBytes = sizeof(BITMAPINFOHEADER) + 4 * ImpliedColourCount(*header.data());
    const std::uint32_t blockBytes = static_cast<std::uint32_t>(PackedBitmapBytes(*header.data()));

    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = kBmpSignature;
    fileHeader.bfSize = sizeof fileHeader + blockBytes;
    fileHeader.bfOffBits = sizeof fileHeader + headBytes;
    ClassicFile file = ClassicFile::Create(path);
    const bool written = file.is_open() && file.WriteExactly(&fileHeader, sizeof fileHeader) &&
                         file.WriteExactly(header.data(), blockBytes) && file.Close();
    return written ? kBmpWritten : kBmpCannotWrite;
}
