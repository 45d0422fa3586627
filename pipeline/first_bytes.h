// What the first bytes of a picture file tell: whether it is of a format (its signature), and,
// while a download arrives, the size of its picture.
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes received so far; more can be asked for.
class ArrivingBytes {
  public:
    virtual ~ArrivingBytes() = default;
    virtual const std::uint8_t* data() const = 0;
    virtual std::size_t size() const = 0;
    // Whether at least `count` bytes are there, receiving more while they are not.
    virtual bool Ensure(std::size_t count) = 0;
};

// Bytes that arrive before a download's first bytes are judged.
constexpr std::size_t kSniffBytes = 256;

// What a download's first bytes tell of a picture of one format.
struct PictureHeader {
    enum Kind {
        kOther,     // not the format's first bytes
        kPlaced,    // width and height known
        kUnplaced,  // the format's first bytes, but no size to be found in them
        kTooLarge,  // a side of 65536 pixels or more
    };
    Kind kind = kOther;
    std::int32_t width = 0, height = 0;
};

// The signatures files are read by; `count` bytes are there.
bool StartsJpeg(const std::uint8_t* bytes, std::size_t count);
bool StartsGif(const std::uint8_t* bytes, std::size_t count);
bool StartsBmp(const std::uint8_t* bytes, std::size_t count);
bool StartsPng(const std::uint8_t* bytes, std::size_t count);
bool StartsWebp(const std::uint8_t* bytes, std::size_t count);

// The bytes the signatures need at most: a JPEG behind a 128-byte MacBinary header.
constexpr std::size_t kSignatureBytes = 131;

// What a download's first bytes (at least kSniffBytes) tell of a picture of the format. A JPEG
// is walked marker by marker up to its frame header, receiving more as needed; a bitmap stored
// top-down reports its height as a positive number.
PictureHeader SniffJpeg(ArrivingBytes& bytes);
PictureHeader SniffGif(ArrivingBytes& bytes);
PictureHeader SniffBmp(ArrivingBytes& bytes);
PictureHeader SniffPng(ArrivingBytes& bytes);
PictureHeader SniffWebp(ArrivingBytes& bytes);
PictureHeader SniffAvif(ArrivingBytes& bytes);
