#include "core/picture_loader.h"

#include <cctype>

#include "codecs/gif/gif_reader.h"
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
        case 'g':
            ReadGifFile(&picture, path);
            break;
        default:
            break;
    }
    return picture;
}

PackedBitmap PreparePicture(PackedBitmap picture, const char* savedCopyPath) {
    if (picture == nullptr) return nullptr;
    if (!IsCompleteBitmap(picture)) {
        GlobalFree(picture);
        return nullptr;
    }
    if (savedCopyPath != nullptr) WriteBmpFile(picture, savedCopyPath);
    return NormaliseTo24(picture);
}

PackedBitmap LoadPictureFile(const char* path, const char* savedCopyPath) {
    return PreparePicture(ReadPictureByExtension(path), savedCopyPath);
}
