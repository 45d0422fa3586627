#include "pipeline/picture_formats.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "codecs/avif/avif_container.h"
#include "codecs/avif/avif_reader.h"
#include "codecs/avif/avif_writer.h"
#include "codecs/gif/gif_reader.h"
#include "codecs/gif/gif_writer.h"
#include "codecs/gif/palette_reduction.h"
#include "codecs/jpeg/exif_orientation.h"
#include "codecs/jpeg/jpeg_reader.h"
#include "codecs/jpeg/jpeg_writer.h"
#include "codecs/png/png_reader.h"
#include "codecs/png/png_writer.h"
#include "codecs/webp/webp_reader.h"
#include "codecs/webp/webp_writer.h"
#include "core/bmp_file.h"
#include "core/bmp_status.h"
#include "core/messages.h"
#include "core/path_text.h"

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

bool StartsJpeg(const std::uint8_t* bytes, std::size_t count) {
    return IsJpegStart(bytes, count) || IsMacBinaryJpeg(bytes, count);
}

bool StartsGif(const std::uint8_t* bytes, std::size_t count) {
    return StartsWith(bytes, count, "GIF87a", 6) || StartsWith(bytes, count, "GIF89a", 6);
}

bool StartsBmp(const std::uint8_t* bytes, std::size_t count) {
    return StartsWith(bytes, count, "BM", 2);
}

bool StartsPng(const std::uint8_t* bytes, std::size_t count) {
    return StartsWith(bytes, count, "\x89PNG\r\n\x1A\n", 8);
}

// "RIFF", the size, "WEBP".
bool StartsWebp(const std::uint8_t* bytes, std::size_t count) {
    return count >= 12 && StartsWith(bytes, count, "RIFF", 4) && std::memcmp(bytes + 8, "WEBP", 4) == 0;
}

// Camera pictures are turned upright by their Exif orientation, as viewers show them.
ReaderStatus ReadJpeg(const char* path, std::uint32_t, PackedBitmap* picture) {
    int orientation = 1;
    const ReaderStatus status = ReadJpegFile(picture, path, &orientation);
    if (*picture != nullptr) *picture = TurnUpright(*picture, orientation);
    return status;
}

ReaderStatus ReadGif(const char* path, std::uint32_t, PackedBitmap* picture) {
    return ReadGifFile(picture, path);
}

ReaderStatus ReadBmp(const char* path, std::uint32_t, PackedBitmap* picture) {
    return ReadBmpFile(picture, path);
}

ReaderStatus ReadPng(const char* path, std::uint32_t background, PackedBitmap* picture) {
    return ReadPngFile(picture, path, background);
}

ReaderStatus ReadWebp(const char* path, std::uint32_t background, PackedBitmap* picture) {
    return ReadWebpFile(picture, path, background);
}

ReaderStatus ReadAvif(const char* path, std::uint32_t background, PackedBitmap* picture) {
    return ReadAvifFile(picture, path, background);
}

const char* JpegText(ReaderStatus status) {
    return JpegStatusText(JpegReadStatus(status));
}

const char* GifText(ReaderStatus status) {
    return GifStatusText(GifReadStatus(status));
}

const char* BmpText(ReaderStatus status) {
    return BmpStatusText(BmpReadStatus(status));
}

const char* PngText(ReaderStatus status) {
    return PngStatusText(PngReadStatus(status));
}

const char* WebpText(ReaderStatus status) {
    return WebpStatusText(WebpReadStatus(status));
}

const char* AvifText(ReaderStatus status) {
    return AvifStatusText(AvifReadStatus(status));
}

const char* WriteJpeg(PackedBitmap picture, const char* path, int quality, bool) {
    return WriteJpegFile(picture, path, quality) == kJpegWritten ? nullptr : kMsgJpegWriteFailed;
}

// Exactly the picture's colours when they fit a palette, else 256 chosen with error diffusion.
const char* WriteGif(PackedBitmap picture, const char* path, int, bool) {
    GlobalBlock palette(ReduceToExactPalette(picture));
    if (!palette) palette.reset(QuantizeWithDither(picture));
    if (!palette) return kMsgDitherFailed;
    return WriteGifFile(palette.get(), path) == kGifWritten ? nullptr : kMsgGifWriteFailed;
}

const char* WriteBmp(PackedBitmap picture, const char* path, int, bool) {
    return WriteBmpFile(picture, path) == kBmpWritten ? nullptr : kMsgBmpWriteFailed;
}

// Lossless either way: a palette when the colours fit one, else RGB.
const char* WritePng(PackedBitmap picture, const char* path, int, bool) {
    GlobalBlock palette(ReduceToExactPalette(picture));
    return WritePngFile(palette ? palette.get() : picture, path) == kPngWritten ? nullptr
                                                                                : kMsgPngWriteFailed;
}

const char* WriteWebp(PackedBitmap picture, const char* path, int quality, bool lossless) {
    const WebpEncoding encoding = lossless ? WebpEncoding::Lossless() : WebpEncoding::Lossy(quality);
    return WriteWebpFile(picture, path, encoding) == kWebpWritten ? nullptr : kMsgWebpWriteFailed;
}

const char* WriteAvif(PackedBitmap picture, const char* path, int quality, bool lossless) {
    const AvifEncoding encoding = lossless ? AvifEncoding::Lossless() : AvifEncoding::Lossy(quality);
    return WriteAvifFile(picture, path, encoding) == kAvifWritten ? nullptr : kMsgAvifWriteFailed;
}

constexpr PictureFormat kFormats[] = {
    {OutputFormat::kJpeg,
     "JPEG",
     'j',
     {"jpg", "jpeg", "jpe", "jfif"},
     "image/jpeg",
     0,
     StartsJpeg,
     ReadJpeg,
     JpegText,
     WriteJpeg},
    {OutputFormat::kGif, "GIF", 'g', {"gif"}, "image/gif", 1, StartsGif, ReadGif, GifText, WriteGif},
    {OutputFormat::kBmp, "BMP", 'b', {"bmp"}, "image/bmp", 14, StartsBmp, ReadBmp, BmpText, WriteBmp},
    {OutputFormat::kPng, "PNG", 'p', {"png"}, "image/png", 2, StartsPng, ReadPng, PngText, WritePng},
    {OutputFormat::kWebp,
     "WebP",
     '\0',
     {"webp"},
     "image/webp",
     kNotDownloaded,
     StartsWebp,
     ReadWebp,
     WebpText,
     WriteWebp},
    {OutputFormat::kAvif,
     "AVIF",
     '\0',
     {"avif"},
     "image/avif",
     kNotDownloaded,
     IsAvifStart,
     ReadAvif,
     AvifText,
     WriteAvif},
};

template <typename Match>
const PictureFormat* Find(Match match) {
    const auto found = std::find_if(std::begin(kFormats), std::end(kFormats), match);
    return found != std::end(kFormats) ? found : nullptr;
}

// ASCII letters in lower case.
std::string LowerCase(std::string text) {
    for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

}  // namespace

const PictureFormat& FormatOf(OutputFormat id) {
    return kFormats[static_cast<int>(id)];
}

const PictureFormat* FormatForLetter(char readerLetter) {
    if (readerLetter == '\0') return nullptr;
    return Find([readerLetter](const PictureFormat& format) { return format.readerLetter == readerLetter; });
}

const PictureFormat* FormatForWord(const char* word) {
    return Find([word](const PictureFormat& format) {
        return FormatWord(format.id) == word || std::strcmp(word, format.extensions[0]) == 0;
    });
}

const PictureFormat* FormatForFirstBytes(const std::uint8_t* bytes, std::size_t count) {
    return Find([bytes, count](const PictureFormat& format) { return format.startsFile(bytes, count); });
}

const PictureFormat* FormatForFetchType(int fetchType) {
    if (fetchType == kNotDownloaded) return nullptr;
    return Find([fetchType](const PictureFormat& format) { return format.fetchType == fetchType; });
}

bool HasPictureExtension(const char* path) {
    const char* dot = FindLastChar(path, '.');
    if (dot == nullptr) return false;
    const std::string extension = LowerCase(dot + 1);
    return Find([&extension](const PictureFormat& format) {
               return format.readerLetter != '\0' &&
                      std::any_of(
                          std::begin(format.extensions), std::end(format.extensions),
                          [&extension](const char* known) { return known != nullptr && extension == known; });
           }) != nullptr;
}

std::string ReadableFormats() {
    std::vector<std::string> names;
    for (const PictureFormat& format : kFormats) names.push_back(format.name);
    std::sort(names.begin(), names.end());
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

std::string FormatWord(OutputFormat id) {
    return LowerCase(FormatOf(id).name);
}

std::string FormatWords() {
    std::string text;
    for (const PictureFormat& format : kFormats) text += (text.empty() ? "" : ", ") + FormatWord(format.id);
    return text;
}

std::string ReadableFilePattern() {
    std::string pattern;
    for (const PictureFormat& format : kFormats)
        if (format.readerLetter != '\0')
            pattern += (pattern.empty() ? "*." : ";*.") + std::string(format.extensions[0]);
    return pattern;
}

std::string TempOutputPath(const std::string& folder, OutputFormat format) {
    return folder + "$korvi2." + FormatOf(format).extensions[0];
}
