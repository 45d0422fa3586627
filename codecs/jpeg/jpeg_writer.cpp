#include "codecs/jpeg/jpeg_writer.h"

#include <memory>
#include <new>

#include "codecs/jpeg/jpeg_compressor.h"
#include "codecs/jpeg/jpeg_failure.h"
#include "codecs/jpeg/jpeg_source.h"

namespace {

// Behind the end marker, outside the JPEG stream: marks files this program wrote.
constexpr char kTrailer[4] = {'c', '-', 'Q', 'V'};

void Compress(ClassicFile& file, const BITMAPINFOHEADER* header, std::int32_t quality) {
    auto encoder = std::make_unique<jpeg::JpegCompressor>(file);
    encoder->Reset();
    encoder->SetQuality(75, true);
    encoder->SetSource(jpeg::ReadSource(header));
    encoder->SetDefaults();
    encoder->SetQuality(quality, false);
    encoder->Start();
    for (std::int32_t row = 0; row < header->biHeight; ++row) encoder->WriteRow();
    encoder->Finish();
    encoder->Release();
}

}  // namespace

JpegWriteStatus WriteJpegFile(PackedBitmap bitmap, const char* path, std::int32_t quality) {
    if (path == nullptr) return kJpegCannotOpen;
    ClassicFile file = ClassicFile::Create(path);
    if (!file.is_open()) return kJpegCannotOpen;
    BitmapLock header(bitmap);
    if (!header) return kJpegCannotLock;
    try {
        Compress(file, header.data(), quality);
    } catch (const jpeg::Failure& failure) {
        return failure.code;
    } catch (const std::bad_alloc&) {
        return kJpegOutOfMemory;
    }
    return file.WriteExactly(kTrailer, sizeof kTrailer) && file.Close() ? kJpegWritten : kJpegWriteFailed;
}
