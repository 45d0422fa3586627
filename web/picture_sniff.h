// The type and size of a picture from the first bytes of its file, read as they arrive.
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

// Bytes that arrive before the sniffing decides anything.
constexpr std::size_t kSniffBytes = 256;

struct PictureHeader {
    enum Kind {
        kPlaced,     // type, width and height known
        kUnplaced,   // a JPEG whose markers lead nowhere: type unknown, no checks
        kNoPicture,  // none of the four types
        kTooLarge,   // a PNG side of 65536 pixels or more
    };
    Kind kind = kNoPicture;
    int type = 99;  // FetchType
    std::int32_t width = 0, height = 0;
};

// Decides from at least kSniffBytes bytes; a JPEG is walked marker by marker up to its frame
// header, receiving more as needed. A bottom-up or top-down bitmap reports its height as a
// positive number.
PictureHeader SniffPicture(ArrivingBytes& bytes);
