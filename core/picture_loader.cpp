#include "core/picture_loader.h"

#include <cctype>

#include "core/bmp_file.h"
#include "core/normalise.h"
#include "core/path_text.h"

PackedBitmap ReadPictureByExtension(const char* path) {
    const char* dot = FindLastChar(path, '.');
    if (dot == nullptr) return nullptr;
    PackedBitmap picture = nullptr;
    switch (std::tolower(static_cast<unsigned char>(dot[1]))) {
        case 'b':
            ReadBmpFile(&picture, path);
            break;
        default:
            break;
    }
    return picture;
}

namespace {

// Whether the block holds a picture of accepted size with every row its header announces.
bool IsUsable(PackedBitmap picture) {
    BitmapLock header(picture);
    if (!header || header->biSize != sizeof(BITMAPINFOHEADER) ||
        !IsPictureSizeAccepted(header->biWidth, header->biHeight) ||
        ImpliedColourCount(*header.data()) > 256) {
        return false;
    }
    const std::uint64_t bytes =
        sizeof(BITMAPINFOHEADER) + 4 * ImpliedColourCount(*header.data()) +
        std::uint64_t{RowBytes(header->biBitCount, header->biWidth)} * header->biHeight;
    return GlobalSize(picture) >= bytes;
}

}  // namespace

PackedBitmap PreparePicture(PackedBitmap picture, const char* savedCopyPath) {
    if (picture == nullptr) return nullptr;
    if (savedCopyPath != nullptr) WriteBmpFile(picture, savedCopyPath);
    if (!IsUsable(picture)) {
        GlobalFree(picture);
        return nullptr;
    }
    return NormaliseTo24(picture);
}

PackedBitmap LoadPictureFile(const char* path, const char* savedCopyPath) {
    return PreparePicture(ReadPictureByExtension(path), savedCopyPath);
}
