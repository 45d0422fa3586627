// Loading a picture file the way the main window does: reader by extension, an optional
// saved copy in the file's own depth, then normalisation to 24 bits.
#pragma once

#include "core/packed_bitmap.h"

// The reader chosen by the first letter after the path's last "." (b, g, j or p, in either
// case); null when the extension names no reader or the file does not read.
PackedBitmap ReadPictureByExtension(const char* path);

// Takes the picture over: refuses it (null) unless the block is complete, writes it to
// `savedCopyPath` when one is given (failures ignored), then returns it as a 24-bit picture, or
// null when its depth cannot be converted.
PackedBitmap PreparePicture(PackedBitmap picture, const char* savedCopyPath);

PackedBitmap LoadPictureFile(const char* path, const char* savedCopyPath = nullptr);
