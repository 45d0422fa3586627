// What a WebP file's first frame needs, gathered into a small WebP file of its own: the RIFF
// header, VP8X, ANIM, ALPH and the first VP8, VP8L or ANMF chunk. Colour profiles, metadata,
// unknown chunks and the frames after the first are passed over unread, so that the memory a file
// takes follows its picture, not its length.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "codecs/webp/webp_status.h"

// Reads up to `bytes` from `offset` of a file into `buffer`: the count read (less where the file
// ends), or -1 when reading fails. Each read starts at or after the end of the one before, so
// that a stream can be read as it comes.
using WebpFileReader = std::function<long(std::uint64_t offset, std::uint8_t* buffer, std::uint32_t bytes)>;

struct FirstFrame {
    // kWebpReadOk with the file gathered, which libwebp judges; else the reason there is none.
    WebpReadStatus status = kWebpReadOk;
    std::vector<std::uint8_t> file;
    // A chunk held more bytes than any picture of the file's size needs, and ends where they begin.
    bool cut = false;
};

// The bytes of the file read, at most 8 for each pixel of the picture and 1 MiB besides; the size
// limits are checked before the picture's bitstream is read. Throws std::bad_alloc.
FirstFrame GatherFirstFrame(const WebpFileReader& read);
