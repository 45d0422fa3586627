#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "core/bit_fields.h"
#include "core/bmp_file.h"
#include "core/classic_file.h"

namespace {

struct FileLayout {
    std::uint32_t headerStart = 0;  // 14 behind a file header, 0 for a packed DIB
    std::uint32_t headerSize = 0;   // 12 or 40
    std::uint32_t rowsOffset = 0;   // bfOffBits, or 0 when rows follow the colour table
};

// A block of memory read the way the reader reads a file.
class MemorySource {
  public:
    MemorySource(const BYTE* bytes, std::size_t size) : bytes_(bytes), size_(size) {}
    bool ReadExactly(void* buffer, std::uint32_t count) {
        if (size_ - position_ < count) return false;
        std::memcpy(buffer, bytes_ + position_, count);
        position_ += count;
        return true;
    }
    bool Seek(std::uint32_t offset) {
        if (offset > size_) return false;
        position_ = offset;
        return true;
    }

  private:
    const BYTE* bytes_;
    std::size_t size_, position_ = 0;
};

// The information header, widened to 40 bytes from a 12-byte core header.
template <typename Source>
BmpReadStatus ReadInfoHeader(Source& file, FileLayout* layout, BITMAPINFOHEADER* header) {
    BITMAPFILEHEADER fileHeader;
    if (!file.ReadExactly(&fileHeader, sizeof fileHeader)) return kBmpCannotRead;
    if (fileHeader.bfType == kBmpSignature) {
        layout->headerStart = sizeof fileHeader;
        layout->rowsOffset = fileHeader.bfOffBits;
    } else if (!file.Seek(0)) {
        return kBmpCannotRead;
    }
    if (!file.ReadExactly(&layout->headerSize, 4)) return kBmpCannotRead;
    *header = BITMAPINFOHEADER{};
    if (layout->headerSize == sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER core;
        if (!file.ReadExactly(&core.bcWidth, sizeof core - 4)) return kBmpCannotRead;
        header->biWidth = core.bcWidth;
        header->biHeight = core.bcHeight;
        header->biPlanes = core.bcPlanes;
        header->biBitCount = core.bcBitCount;
        header->biClrUsed = header->biClrImportant = ColoursForDepth(core.bcBitCount);
    } else if (layout->headerSize == sizeof(BITMAPINFOHEADER)) {
        if (!file.ReadExactly(&header->biWidth, sizeof *header - 4)) return kBmpCannotRead;
        if (header->biClrUsed == 0) header->biClrUsed = ColoursForDepth(header->biBitCount);
    } else {
        return kBmpReadUnsupported;
    }
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biPlanes = 1;
    return kBmpReadOk;
}

enum class PixelForm { kStored, kBitFields, kUnsupported };

PixelForm FormOf(const BITMAPINFOHEADER& header) {
    const int depth = header.biBitCount;
    if (header.biCompression == BI_RGB) {
        if (depth == 1 || depth == 4 || depth == 8 || depth == 24) return PixelForm::kStored;
        if (depth == 16 || depth == 32) return PixelForm::kBitFields;
    } else if (header.biCompression == BI_BITFIELDS && (depth == 16 || depth == 32)) {
        return PixelForm::kBitFields;
    }
    return PixelForm::kUnsupported;
}

void ReadColourTable(const BYTE* stored, std::uint32_t count, bool triples, RGBQUAD* table) {
    for (std::uint32_t i = 0; i < count; ++i, stored += triples ? 3 : 4) {
        table[i] = RGBQUAD{stored[0], stored[1], stored[2], triples ? BYTE{0} : stored[3]};
    }
}

void FlipRows(BYTE* rows, std::uint32_t stride, int height) {
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        BYTE* upper = rows + std::size_t{stride} * top;
        std::swap_ranges(upper, upper + stride, rows + std::size_t{stride} * bottom);
    }
}

template <typename Source>
BmpReadStatus ReadBmp(Source& file, GlobalBlock* result) {
    FileLayout layout;
    BITMAPINFOHEADER header;
    if (BmpReadStatus status = ReadInfoHeader(file, &layout, &header)) return status;

    const bool topDown = header.biHeight < 0;
    const std::int64_t height = topDown ? -std::int64_t{header.biHeight} : header.biHeight;
    const PixelForm form = FormOf(header);
    const std::uint32_t colours = header.biClrUsed;
    if (form == PixelForm::kUnsupported || colours > 256 || !IsPictureSizeAccepted(header.biWidth, height)) {
        return kBmpReadUnsupported;
    }
    header.biHeight = static_cast<LONG>(height);
    const int width = header.biWidth, depth = header.biBitCount;

    ChannelMasks masks = depth == 16 ? kRgb555Masks : kRgb888Masks;
    if (header.biCompression == BI_BITFIELDS) {
        if (!file.ReadExactly(&masks, sizeof masks)) return kBmpCannotRead;
    }

    const bool triples = layout.headerSize == sizeof(BITMAPCOREHEADER);
    const std::uint32_t tableBytes = colours * (triples ? 3 : 4);
    BYTE storedTable[256 * 4];
    if (!file.ReadExactly(storedTable, tableBytes)) return kBmpCannotRead;
    if (layout.rowsOffset != 0 && !file.Seek(layout.rowsOffset)) return kBmpCannotRead;

    const std::uint32_t sourceBytes = RowBytes(depth, width) * header.biHeight;
    const int resultDepth = form == PixelForm::kStored ? depth : 24;

    GlobalBlock block = AllocatePackedBitmap(width, header.biHeight, resultDepth, colours);
    BitmapLock target(block.get());
    if (!target) return kBmpReadOutOfMemory;
    target->biXPelsPerMeter = header.biXPelsPerMeter;
    target->biYPelsPerMeter = header.biYPelsPerMeter;
    target->biClrImportant = header.biClrImportant;
    BYTE* rows = PixelRows(target.data());
    if (form == PixelForm::kStored) {
        ReadColourTable(storedTable, colours, triples, ColourTable(target.data()));
        if (!file.ReadExactly(rows, sourceBytes)) return kBmpCannotRead;
    } else {
        std::unique_ptr<BYTE[]> source(new (std::nothrow) BYTE[sourceBytes]);
        if (!source) return kBmpReadOutOfMemory;
        if (!file.ReadExactly(source.get(), sourceBytes)) return kBmpCannotRead;
        UnpackBitFields(source.get(), depth, width, header.biHeight, masks, rows);
    }
    if (topDown) FlipRows(rows, RowBytes(resultDepth, width), header.biHeight);
    *result = std::move(block);
    return kBmpReadOk;
}

}  // namespace

BmpReadStatus ReadBmpFile(PackedBitmap* result, const char* path) {
    *result = nullptr;
    ClassicFile file = ClassicFile::OpenForReading(path);
    if (!file.is_open()) return kBmpCannotRead;
    GlobalBlock block;
    BmpReadStatus status = ReadBmp(file, &block);
    if (status == kBmpReadOk) *result = block.release();
    return status;
}

BmpReadStatus ReadBmpBlock(PackedBitmap* result, const BYTE* bytes, std::size_t size) {
    *result = nullptr;
    MemorySource source(bytes, size);
    GlobalBlock block;
    BmpReadStatus status = ReadBmp(source, &block);
    if (status == kBmpReadOk) *result = block.release();
    return status;
}
