#include "pipeline/picture_loader.h"

#include "codecs/gif/gif_reader.h"
#include "codecs/jpeg/exif_orientation.h"
#include "codecs/jpeg/jpeg_reader.h"
#include "codecs/png/png_reader.h"
#include "core/bmp_file.h"
#include "core/classic_file.h"
#include "core/normalise.h"
#include "core/path_text.h"
#include "pipeline/picture_signature.h"

namespace {

// Whether the block is a bitmap as the readers make it: complete, uncompressed, bottom-up, of
// a depth the normaliser takes.
bool IsReaderBitmap(PackedBitmap picture) {
    if (!IsCompleteBitmap(picture)) return false;
    BitmapLock header(picture);
    const int depth = header->biBitCount;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24) return false;
    header->biPlanes = 1;
    return true;
}

}  // namespace

PackedBitmap ReadPictureByExtension(const char* path, LoadFailure* failure, std::uint32_t background) {
    return ReadPictureWith(ExtensionLetter(path), path, failure, background);
}

PackedBitmap ReadPictureByContent(const char* path, LoadFailure* failure, std::uint32_t background) {
    std::uint8_t first[kSignatureBytes] = {};
    ClassicFile file = ClassicFile::OpenForReading(path);
    const long count = file.is_open() ? file.ReadUpTo(first, sizeof first) : -1;
    file.Close();
    if (count < 0) {
        if (failure != nullptr) *failure = LoadFailure{0, kReaderCannotRead};
        return nullptr;
    }
    return ReadPictureWith(ReaderForFirstBytes(first, static_cast<std::size_t>(count)), path, failure,
                           background);
}

PackedBitmap ReadPictureWith(char reader, const char* path, LoadFailure* failure, std::uint32_t background) {
    LoadFailure why{reader, kReaderOk};
    PackedBitmap picture = nullptr;
    switch (why.reader) {
        case 'b':
            why.status = ReadBmpFile(&picture, path);
            break;
        case 'g':
            why.status = ReadGifFile(&picture, path);
            break;
        case 'j':
            why.status = ReadJpegFile(&picture, path);
            if (picture != nullptr) picture = TurnUpright(picture, ExifOrientationOfFile(path));
            break;
        case 'p':
            why.status = ReadPngFile(&picture, path, background);
            break;
        default:
            why.reader = 0;
            break;
    }
    if (failure != nullptr) *failure = why;
    return picture;
}

PackedBitmap PreparePicture(PackedBitmap picture, const char* savedCopyPath) {
    if (picture == nullptr) return nullptr;
    GlobalBlock owned(picture);
    if (!IsReaderBitmap(owned.get())) {
        PackedBitmap read = nullptr;
        {
            BlockLock<const BYTE> bytes(owned.get());
            if (bytes) ReadBmpBlock(&read, bytes.data(), GlobalSize(owned.get()));
        }
        if (read == nullptr) return nullptr;
        owned.reset(read);
    }
    if (savedCopyPath != nullptr) WriteBmpFile(owned.get(), savedCopyPath);
    return NormaliseTo24(owned.release());
}

PackedBitmap LoadPictureFile(const char* path, const char* savedCopyPath, LoadFailure* failure,
                             std::uint32_t background) {
    return PreparePicture(ReadPictureByExtension(path, failure, background), savedCopyPath);
}
