#include "codecs/jpeg/jpeg_reader.h"

#include <algorithm>
#include <memory>
#include <new>

#include "codecs/jpeg/decoder/jpeg_decoder.h"
#include "codecs/jpeg/exif_orientation.h"
#include "core/classic_file.h"

JpegReadStatus ReadJpegFile(PackedBitmap* result, const char* path, int* orientation) {
    *result = nullptr;
    if (path == nullptr) return kJpegReadCannotRead;
    ClassicFile file = ClassicFile::OpenForReading(path);
    if (!file.is_open()) return kJpegReadCannotRead;
    const LONG length = file.SeekToEnd();
    if (length <= 4) return kJpegReadCannotRead;
    const std::size_t size = static_cast<std::size_t>(length);
    std::unique_ptr<std::uint8_t[]> bytes(new (std::nothrow) std::uint8_t[size]);
    if (!bytes) return kJpegReadOutOfMemory;
    if (!file.Seek(0) || !file.ReadExactly(bytes.get(), static_cast<std::uint32_t>(size)))
        return kJpegReadCannotRead;
    if (orientation != nullptr) *orientation = ExifOrientation(bytes.get(), std::min(size, kExifSearchBytes));
    return jpeg::decoder::DecodeJpeg(bytes.get(), size, jpeg::decoder::DecodeLimits{}, result);
}
