// What korvi knows of each picture format, in one table: a new format is a new row and its codec.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "codecs/avif/avif_status.h"
#include "codecs/webp/webp_status.h"
#include "core/packed_bitmap.h"
#include "core/reader_status.h"
#include "pipeline/first_bytes.h"

// The rows of the table, in their order; the value is the row's place. kPng, kWebp and kAvif are
// korvi-cli's own.
enum class OutputFormat { kJpeg = 0, kGif = 1, kBmp = 2, kPng = 3, kWebp = 4, kAvif = 5 };

// One way of writing a picture: the format, at a quality where it has one, or in the lossless
// form of a format that has both.
struct Encoding {
    OutputFormat format = OutputFormat::kJpeg;
    int quality = 0;
    bool lossless = false;
};

// The two programs over the core: the window (korvi.exe) and korvi-cli.
enum class Program { kWindow, kCli };

// The "Format" number of a format the window does not write.
constexpr int kNotInWindow = -1;
// The formats the window writes, numbered 0 to this less 1 in its settings and radio buttons.
constexpr int kWindowFormatCount = 3;

// Reads a file into a new picture, composing transparency over `background`; the reader's status.
using PictureReader = ReaderStatus (*)(const char* path, std::uint32_t background, PackedBitmap* picture);

struct PictureFormat {
    OutputFormat id;
    const char* name;     // in messages; in lower case, korvi-cli's -f word
    const char* heading;  // the test page's heading of its variants
    // The first letter of the extensions the window reads it by, in lower case; '\0' for a
    // format that only korvi-cli reads.
    char readerLetter;
    // The extensions files of the format have, without the "."; the first is the one it is written with.
    const char* extensions[5];
    const char* mimeType;
    // The window's "Format" number and radio button (the first button's id plus the number),
    // equal to the id's value; kNotInWindow for a format only korvi-cli writes.
    int windowNumber;
    bool hasQuality;       // written at a quality, 10 to 100
    bool hasLosslessForm;  // and also in a lossless form
    // Whether a file begins with the format's signature; `count` bytes are there.
    bool (*startsFile)(const std::uint8_t* bytes, std::size_t count);
    // What a download's first bytes tell of its picture; null for a format that is not taken
    // from the web (the window takes only the formats it reads).
    PictureHeader (*sniffDownload)(ArrivingBytes& bytes);
    PictureReader read;  // the window's reader, and korvi-cli's where the last field is null
    // The statuses of korvi-cli's reader in words.
    const char* (*statusText)(ReaderStatus status);
    // Writes the picture (borrowed) to `path` at the quality, or in the lossless form; null when
    // written, else the message to show. Throws std::bad_alloc when memory runs short.
    const char* (*write)(PackedBitmap picture, const char* path, int quality, bool lossless);
    // korvi-cli's reader where it reads more variants than the window's; null where both read alike.
    PictureReader readEveryVariant;
};

const PictureFormat& FormatOf(OutputFormat id);

// The message of the AVIF row's writer for a status: null when written; throws std::bad_alloc
// when memory ran short.
const char* AvifWriteMessage(AvifWriteStatus status);

// The message of the WebP row's writer for a status: null when written; throws std::bad_alloc
// when memory ran short.
const char* WebpWriteMessage(WebpWriteStatus status);

// The format whose reader the letter names; null for none.
const PictureFormat* FormatForLetter(char readerLetter);
// The format korvi-cli's -f word or the extension it is written with names; null for none.
const PictureFormat* FormatForWord(const char* word);
// The format whose signature begins the bytes; null for none.
const PictureFormat* FormatForFirstBytes(const std::uint8_t* bytes, std::size_t count);
// The format whose extensions hold the path's, in either case; null for none.
const PictureFormat* FormatForExtension(const char* path);
// The format the window stores as this "Format" number; null for none.
const PictureFormat* FormatForWindowNumber(int number);
// Whether the path ends in the extension of a format that the window reads.
bool HasPictureExtension(const char* path);

// Whether the program takes pictures of the format from the web.
bool Downloads(Program program, const PictureFormat& format);

// A download's picture as its first bytes show it: the format, of those the program takes from
// the web, that they begin, and what they tell of its picture; no format when they begin none.
struct DownloadSniff {
    const PictureFormat* format = nullptr;
    PictureHeader header;
};
DownloadSniff SniffDownload(ArrivingBytes& bytes, Program program);

// The names of the formats korvi-cli reads, in alphabetical order: "AVIF, BMP, GIF, JPEG, PNG, WebP".
std::string ReadableFormats();
// The names of the formats the program takes from the web: "BMP, GIF, JPEG, PNG or WebP".
std::string DownloadedFormats(Program program);
// korvi-cli's -f word for a format: its name in lower case, "jpeg".
std::string FormatWord(OutputFormat id);
// The -f words of the formats chosen (every one by default) in the order of the table, the last
// behind `lastJoint`: "jpeg, gif, bmp, png, webp, avif".
std::string FormatWords(bool (*chosen)(const PictureFormat&) = nullptr, const char* lastJoint = ", ");
// The open-file dialog's pattern of the files that the window reads: "*.jpg;*.gif;*.bmp;*.png".
std::string ReadableFilePattern();

// The work file a format is written to: the folder (with its trailing separator), "$korvi2"
// and the format's extension.
std::string TempOutputPath(const std::string& folder, OutputFormat format);
