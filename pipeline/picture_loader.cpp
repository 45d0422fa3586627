#include "pipeline/picture_loader.h"

#include "core/bmp_file.h"
#include "core/classic_file.h"
#include "core/normalise.h"
#include "core/path_text.h"

namespace {

// Whether the block is a bitmap as the readers make it: complete, uncompressed, bottom-up, of
// a depth the normaliser takes.
bool IsReaderBitmap(PackedBitmap picture) {
    if (!IsCompleteBitmap(picture)) return false;
    const int depth = BitmapLock(picture)->biBitCount;
    return depth == 1 || depth == 4 || depth == 8 || depth == 24;
}

// The picture of the format's reader: the window's, or korvi-cli's where it has one of its own.
PackedBitmap ReadWith(const PictureFormat* format, bool everyVariant, const char* path, LoadFailure* failure,
                      std::uint32_t background) {
    LoadFailure why{format, kReaderOk};
    PackedBitmap picture = nullptr;
    if (format != nullptr) {
        const PictureReader read =
            everyVariant && format->readEveryVariant != nullptr ? format->readEveryVariant : format->read;
        why.status = read(path, background, &picture);
    }
    if (failure != nullptr) *failure = why;
    return picture;
}

}  // namespace

PackedBitmap ReadPictureByExtension(const char* path, LoadFailure* failure, std::uint32_t background) {
    return ReadWith(FormatForLetter(ExtensionLetter(path)), false, path, failure, background);
}

PackedBitmap ReadPictureByContent(const char* path, LoadFailure* failure, std::uint32_t background) {
    std::uint8_t first[kSignatureBytes] = {};
    ClassicFile file = ClassicFile::OpenForReading(path);
    const long count = file.is_open() ? file.ReadUpTo(first, sizeof first) : -1;
    file.Close();
    if (count < 0) {
        if (failure != nullptr) *failure = LoadFailure{nullptr, kReaderCannotRead};
        return nullptr;
    }
    const std::size_t size = static_cast<std::size_t>(count);
    // The name decides only between signatures the bytes all begin, or when they begin none.
    const PictureFormat* named = FormatForExtension(path);
    const PictureFormat* format =
        named != nullptr && named->startsFile(first, size) ? named : FormatForFirstBytes(first, size);
    return ReadPictureAs(format != nullptr ? format : named, path, failure, background);
}

PackedBitmap ReadPictureAs(const PictureFormat* format, const char* path, LoadFailure* failure,
                           std::uint32_t background) {
    return ReadWith(format, true, path, failure, background);
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
    BitmapLock(owned.get())->biPlanes = 1;
    if (savedCopyPath != nullptr) WriteBmpFile(owned.get(), savedCopyPath);
    return NormaliseTo24(owned.release());
}

PackedBitmap LoadPictureFile(const char* path, const char* savedCopyPath, LoadFailure* failure,
                             std::uint32_t background) {
    return PreparePicture(ReadPictureByExtension(path, failure, background), savedCopyPath);
}
