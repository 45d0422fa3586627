// What korvi knows of each picture format, in one table: a new format is a new row and its codec.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/packed_bitmap.h"
#include "core/reader_status.h"

// The rows of the table, in the order the window stores its choice; kPng, kWebp and kAvif are
// korvi-cli's own.
enum class OutputFormat { kJpeg = 0, kGif = 1, kBmp = 2, kPng = 3, kWebp = 4, kAvif = 5 };

// One way of writing a picture: the format, at a quality where it has one (JPEG, lossy WebP and
// AVIF), or in the lossless form of a format that has both (WebP, AVIF).
struct Encoding {
    OutputFormat format = OutputFormat::kJpeg;
    int quality = 0;
    bool lossless = false;
};

// The download number of a format that the download does not take.
constexpr int kNotDownloaded = -1;

struct PictureFormat {
    OutputFormat id;
    const char* name;  // in messages; in lower case, korvi-cli's -f word
    // The first letter of the extensions the window reads it by, in lower case; '\0' for a
    // format that only korvi-cli reads, by the file's first bytes.
    char readerLetter;
    // The extensions files of the format have, without the "."; the first is the one it is written with.
    const char* extensions[5];
    const char* mimeType;
    int fetchType;  // the download's number for it, or kNotDownloaded
    // Whether a file begins with the format's signature; `count` bytes are there.
    bool (*startsFile)(const std::uint8_t* bytes, std::size_t count);
    // Reads a file into a new picture, composing transparency over `background`; the reader's status.
    ReaderStatus (*read)(const char* path, std::uint32_t background, PackedBitmap* picture);
    const char* (*statusText)(ReaderStatus status);
    // Writes the picture (borrowed) to `path` at the quality, or lossless where the format has
    // both forms; null when written, else the message to show.
    const char* (*write)(PackedBitmap picture, const char* path, int quality, bool lossless);
};

const PictureFormat& FormatOf(OutputFormat id);

// The format whose reader the letter names; null for none.
const PictureFormat* FormatForLetter(char readerLetter);
// The format korvi-cli's -f word or the extension it is written with names; null for none.
const PictureFormat* FormatForWord(const char* word);
// The format whose signature begins the bytes; null for none.
const PictureFormat* FormatForFirstBytes(const std::uint8_t* bytes, std::size_t count);
// The format of the download's number; null for none.
const PictureFormat* FormatForFetchType(int fetchType);
// Whether the path ends in the extension of a format that the window reads.
bool HasPictureExtension(const char* path);

// The bytes FormatForFirstBytes needs at most: a JPEG behind a 128-byte MacBinary header.
constexpr std::size_t kSignatureBytes = 131;

// The names of the formats that are read, in alphabetical order: "AVIF, BMP, GIF, JPEG, PNG, WebP".
std::string ReadableFormats();
// korvi-cli's -f word for a format: its name in lower case, "jpeg".
std::string FormatWord(OutputFormat id);
// Every -f word in the order of the table: "jpeg, gif, bmp, png, webp, avif".
std::string FormatWords();
// The open-file dialog's pattern of the files that the window reads: "*.jpg;*.gif;*.bmp;*.png".
std::string ReadableFilePattern();

// The work file a format is written to: the folder (with its trailing separator), "$korvi2"
// and the format's extension.
std::string TempOutputPath(const std::string& folder, OutputFormat format);
