#include "pipeline/picture_formats.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>
#include <vector>

#include "codecs/avif/avif_container.h"
#include "codecs/avif/avif_reader.h"
#include "codecs/avif/avif_writer.h"
#include "codecs/bmp/bmp_decoder.h"
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

ReaderStatus DecodeBmp(const char* path, std::uint32_t background, PackedBitmap* picture) {
    return DecodeBmpFile(picture, path, background);
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
    return BmpDecodeStatusText(BmpDecodeStatus(status));
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

// The writer's message for a status; short memory is thrown, to end the conversion as it ends
// at every other step.
template <typename Status>
const char* MessageOf(Status status, Status written, Status outOfMemory, const char* failed) {
    if (status == outOfMemory) throw std::bad_alloc();
    return status == written ? nullptr : failed;
}

const char* WriteJpeg(PackedBitmap picture, const char* path, int quality, bool) {
    return MessageOf(WriteJpegFile(picture, path, quality), kJpegWritten, kJpegOutOfMemory,
                     kMsgJpegWriteFailed);
}

// Exactly the picture's colours when they fit a palette, else 256 chosen with error diffusion.
const char* WriteGif(PackedBitmap picture, const char* path, int, bool) {
    GlobalBlock palette(ReduceToExactPalette(picture));
    if (!palette) palette.reset(QuantizeWithDither(picture));
    if (!palette) return kMsgDitherFailed;
    return MessageOf(WriteGifFile(palette.get(), path), kGifWritten, kGifOutOfMemory, kMsgGifWriteFailed);
}

const char* WriteBmp(PackedBitmap picture, const char* path, int, bool) {
    return WriteBmpFile(picture, path) == kBmpWritten ? nullptr : kMsgBmpWriteFailed;
}

// Lossless either way: a palette when the colours fit one, else RGB.
const char* WritePng(PackedBitmap picture, const char* path, int, bool) {
    GlobalBlock palette(ReduceToExactPalette(picture));
    return MessageOf(WritePngFile(palette ? palette.get() : picture, path), kPngWritten, kPngOutOfMemory,
                     kMsgPngWriteFailed);
}

const char* WriteWebp(PackedBitmap picture, const char* path, int quality, bool lossless) {
    const WebpEncoding encoding = lossless ? WebpEncoding::Lossless() : WebpEncoding::Lossy(quality);
    return WebpWriteMessage(WriteWebpFile(picture, path, encoding));
}

const char* WriteAvif(PackedBitmap picture, const char* path, int quality, bool lossless) {
    const AvifEncoding encoding = lossless ? AvifEncoding::Lossless() : AvifEncoding::Lossy(quality);
    return AvifWriteMessage(WriteAvifFile(picture, path, encoding));
}

// clang-format off
constexpr PictureFormat kFormats[] = {
    // id, name, heading, reader letter, extensions, MIME type, window number, quality, lossless form,
    // signature, download sniffer, reader, status words, writer, korvi-cli's reader of
    // more variants
    {OutputFormat::kJpeg, "JPEG", "Jpeg", 'j', {"jpg", "jpeg", "jpe", "jfif"}, "image/jpeg", 0, true, false,
     StartsJpeg, SniffJpeg, ReadJpeg, JpegText, WriteJpeg, nullptr},
    {OutputFormat::kGif, "GIF", "GIF", 'g', {"gif"}, "image/gif", 1, false, false,
     StartsGif, SniffGif, ReadGif, GifText, WriteGif, nullptr},
    {OutputFormat::kBmp, "BMP", "BMP", 'b', {"bmp"}, "image/bmp", 2, false, false,
     StartsBmp, SniffBmp, ReadBmp, BmpText, WriteBmp, DecodeBmp},
    {OutputFormat::kPng, "PNG", "PNG", 'p', {"png"}, "image/png", kNotInWindow, false, false,
     StartsPng, SniffPng, ReadPng, PngText, WritePng, nullptr},
    {OutputFormat::kWebp, "WebP", "WebP", '\0', {"webp"}, "image/webp", kNotInWindow, true, true,
     StartsWebp, SniffWebp, ReadWebp, WebpText, WriteWebp, nullptr},
    {OutputFormat::kAvif, "AVIF", "AVIF", '\0', {"avif"}, "image/avif", kNotInWindow, true, true,
     IsAvifStart, SniffAvif, ReadAvif, AvifText, WriteAvif, nullptr},
};
// clang-format on

// Each row's id is its place and, for the formats the window writes, its "Format" number; those
// come first, so that the window's radio buttons, numbered alike, follow the table.
constexpr bool RowsInOrder() {
    int windowFormats = 0;
    for (int row = 0; row < static_cast<int>(std::size(kFormats)); ++row) {
        const PictureFormat& format = kFormats[row];
        if (static_cast<int>(format.id) != row) return false;
        if (format.windowNumber == kNotInWindow) continue;
        if (format.windowNumber != row || row != windowFormats++) return false;
    }
    return windowFormats == kWindowFormatCount;
}
static_assert(RowsInOrder(), "the rows follow the enum, the window's formats first");

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

// The items separated by commas, the last by `lastJoint`.
std::string Listed(const std::vector<std::string>& items, const char* lastJoint) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i)
        text += (i == 0 ? "" : i + 1 == items.size() ? lastJoint : ", ") + items[i];
    return text;
}

// The names of the formats chosen, in alphabetical order, the last behind `lastJoint`.
template <typename Choose>
std::string NamesOf(Choose chosen, const char* lastJoint) {
    std::vector<std::string> names;
    for (const PictureFormat& format : kFormats)
        if (chosen(format)) names.push_back(format.name);
    std::sort(names.begin(), names.end());
    return Listed(names, lastJoint);
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

const PictureFormat* FormatForExtension(const char* path) {
    const char* dot = FindLastChar(path, '.');
    if (dot == nullptr) return nullptr;
    const std::string extension = LowerCase(dot + 1);
    return Find([&extension](const PictureFormat& format) {
        return std::any_of(
            std::begin(format.extensions), std::end(format.extensions),
            [&extension](const char* known) { return known != nullptr && extension == known; });
    });
}

const PictureFormat* FormatForWindowNumber(int number) {
    if (number == kNotInWindow) return nullptr;
    return Find([number](const PictureFormat& format) { return format.windowNumber == number; });
}

bool HasPictureExtension(const char* path) {
    const PictureFormat* format = FormatForExtension(path);
    return format != nullptr && format->readerLetter != '\0';
}

bool Downloads(Program program, const PictureFormat& format) {
    return format.sniffDownload != nullptr && (program == Program::kCli || format.readerLetter != '\0');
}

DownloadSniff SniffDownload(ArrivingBytes& bytes, Program program) {
    for (const PictureFormat& format : kFormats) {
        if (!Downloads(program, format)) continue;
        const PictureHeader header = format.sniffDownload(bytes);
        if (header.kind != PictureHeader::kOther) return {&format, header};
    }
    return {};
}

std::string ReadableFormats() {
    return NamesOf([](const PictureFormat&) { return true; }, ", ");
}

std::string DownloadedFormats(Program program) {
    return NamesOf([program](const PictureFormat& format) { return Downloads(program, format); }, " or ");
}

std::string FormatWord(OutputFormat id) {
    return LowerCase(FormatOf(id).name);
}

std::string FormatWords(bool (*chosen)(const PictureFormat&), const char* lastJoint) {
    std::vector<std::string> words;
    for (const PictureFormat& format : kFormats)
        if (chosen == nullptr || chosen(format)) words.push_back(FormatWord(format.id));
    return Listed(words, lastJoint);
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

// korvi-cli alone writes WebP, so its message may say why a picture is too wide for it.
const char* AvifWriteMessage(AvifWriteStatus status) {
    return MessageOf(status, kAvifWritten, kAvifOutOfMemory, kMsgAvifWriteFailed);
}

const char* WebpWriteMessage(WebpWriteStatus status) {
    if (status != kWebpTooWide) return MessageOf(status, kWebpWritten, kWebpOutOfMemory, kMsgWebpWriteFailed);
    static const std::string tooWide = std::string(kMsgWebpWriteFailed) + " (" + WebpStatusText(status) + ")";
    return tooWide.c_str();
}
