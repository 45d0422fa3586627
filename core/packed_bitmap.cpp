#include "core/packed_bitmap.h"

bool IsPictureSizeAccepted(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

bool IsCompleteBitmap(HGLOBAL block) {
    if (GlobalSize(block) < sizeof(BITMAPINFOHEADER)) return false;
    BitmapLock header(block);
    if (!header || header->biSize != sizeof(BITMAPINFOHEADER) || header->biCompression != BI_RGB ||
        !IsPictureSizeAccepted(header->biWidth, header->biHeight)) {
        return false;
    }
    return ImpliedColourCount(*header.data()) <= 256 &&
           GlobalSize(block) >= PackedBitmapBytes(*header.data());
}

std::uint32_t ColoursForDepth(int depth) {
    return depth == 1 ? 2 : depth == 4 ? 16 : depth == 8 ? 256 : 0;
}

std::uint32_t ImpliedColourCount(const BITMAPINFOHEADER& header) {
    return header.biClrUsed != 0 ? header.biClrUsed : ColoursForDepth(header.biBitCount);
}

std::uint64_t PackedBitmapBytes(const BITMAPINFOHEADER& header) {
    return sizeof(BITMAPINFOHEADER) + 4 * std::uint64_t{ImpliedColourCount(header)} +
           std::uint64_t{RowBytes(header.biBitCount, header.biWidth)} *
               static_cast<std::uint32_t>(header.biHeight);
}

int RowPadding(int depth, int width) {
    std::int64_t unpadded;
    switch (depth) {
        case 1:
            unpadded = (std::int64_t{width} + 7) / 8;
            break;
        case 4:
            unpadded = (std::int64_t{width} + 1) / 2;
            break;
        case 8:
        case 16:
        case 24:
            unpadded = std::int64_t{width} * (depth / 8);
            break;
        default:
            return 0;
    }
    return static_cast<int>((4 - unpadded % 4) % 4);
}

std::uint32_t RowBytes(int depth, int width) {
    return static_cast<std::uint32_t>((std::int64_t{width} * depth + 31) / 32 * 4);
}

RGBQUAD* ColourTable(BITMAPINFOHEADER* header) {
    return reinterpret_cast<RGBQUAD*>(header + 1);
}

BYTE* PixelRows(BITMAPINFOHEADER* header) {
    return reinterpret_cast<BYTE*>(ColourTable(header) + ImpliedColourCount(*header));
}

const BYTE* PixelRows(const BITMAPINFOHEADER* header) {
    return PixelRows(const_cast<BITMAPINFOHEADER*>(header));
}

GlobalBlock AllocatePackedBitmap(int width, int height, int depth, std::uint32_t colours) {
    if (!IsPictureSizeAccepted(width, height) || colours > 256 || (depth <= 8 && colours == 0)) return {};
    std::uint32_t imageBytes = RowBytes(depth, width) * static_cast<std::uint32_t>(height);
    GlobalBlock block = GlobalBlock::Allocate(sizeof(BITMAPINFOHEADER) + 4 * colours + imageBytes);
    BitmapLock header(block.get());
    if (!header) return {};
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = static_cast<WORD>(depth);
    header->biCompression = BI_RGB;
    header->biSizeImage = imageBytes;
    header->biClrUsed = colours;
    header->biClrImportant = colours;
    return block;
}
