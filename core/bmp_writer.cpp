#include "core/bmp_file.h"
#include "core/classic_file.h"

bool WriteBmpFile(PackedBitmap bitmap, const char* path) {
    BitmapLock header(bitmap);
    if (!header) return false;
    const std::int64_t height = header->biHeight < 0 ? -std::int64_t{header->biHeight} : header->biHeight;
    const std::uint32_t colours = ImpliedColourCount(*header.data());
    if (!IsPictureSizeAccepted(header->biWidth, height) || colours > 256) return false;
    const std::uint32_t headBytes = sizeof(BITMAPINFOHEADER) + 4 * colours;
    const std::uint32_t blockBytes =
        headBytes + RowBytes(header->biBitCount, header->biWidth) * static_cast<std::uint32_t>(height);
    if (GlobalSize(bitmap) < blockBytes) return false;

    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfSize = sizeof fileHeader + blockBytes;
    fileHeader.bfOffBits = sizeof fileHeader + headBytes;
    ClassicFile file = ClassicFile::Create(path);
    return file.is_open() && file.WriteExactly(&fileHeader, sizeof fileHeader) &&
           file.WriteExactly(header.data(), blockBytes);
}
