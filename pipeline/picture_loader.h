// Loading a picture file the way the main window does: reader by extension, an optional
// saved copy in the file's own depth, then normalisation to 24 bits.
#pragma once

#include <cstdint>

#include "core/packed_bitmap.h"
#include "core/reader_status.h"
#include "pipeline/picture_formats.h"

// The colour (a COLORREF, 0x00BBGGRR) under transparent PNG pixels when the file names none and
// the settings hold no "BackColor": white.
constexpr std::uint32_t kDefaultBackColor = 0xFFFFFF;

// Why a picture file gave no picture.
struct LoadFailure {
    const PictureFormat* format = nullptr;  // whose reader read it; null when none was chosen
    ReaderStatus status = kReaderOk;        // the reader's status; kReaderOk when its picture was refused
};

// The picture of the reader chosen by the first letter after the path's last "." (b, g, j or
// p, in either case); null when the extension names no reader or the file does not read.
// `background` goes to the PNG reader.
PackedBitmap ReadPictureByExtension(const char* path, LoadFailure* failure = nullptr,
                                    std::uint32_t background = kDefaultBackColor);

// The picture of korvi-cli's reader for the format; null when there is no format
// (`failure->format` null) or the file does not read.
PackedBitmap ReadPictureAs(const PictureFormat* format, const char* path, LoadFailure* failure = nullptr,
                           std::uint32_t background = kDefaultBackColor);

// The picture of korvi-cli's reader that the file's first bytes name, whatever the file is called;
// its extension decides only where they name no reader, or several. A file that cannot be opened
// gives no format with kReaderCannotRead.
PackedBitmap ReadPictureByContent(const char* path, LoadFailure* failure = nullptr,
                                  std::uint32_t background = kDefaultBackColor);

// Takes the picture over. A block as the readers make it is kept; any other (a clipboard
// bitmap) is read by the BMP reader's rules, or refused (null). Then writes it to
// `savedCopyPath` when one is given (failures ignored) and returns it as a 24-bit picture.
PackedBitmap PreparePicture(PackedBitmap picture, const char* savedCopyPath);

PackedBitmap LoadPictureFile(const char* path, const char* savedCopyPath = nullptr,
                             LoadFailure* failure = nullptr, std::uint32_t background = kDefaultBackColor);
