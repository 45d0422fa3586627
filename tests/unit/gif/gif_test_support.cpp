#include "tests/unit/gif/gif_test_support.h"

#include <string>

#include "codecs/gif/gif_reader.h"
#include "codecs/gif/gif_writer.h"
#include "tests/support/gif_fixture.h"

std::optional<GifFileParts> SplitGifFile(const Bytes& file) {
    if (file.size() < 13 || std::string(file.begin(), file.begin() + 6) != "GIF87a") return std::nullopt;
    GifFileParts parts;
    parts.packed = file[10];
    std::size_t at = 13;
    const std::size_t entries = std::size_t{2} << (parts.packed & 7);
    for (; parts.table.size() < entries && at + 3 <= file.size(); at += 3) {
        parts.table.push_back(Rgb{file[at], file[at + 1], file[at + 2]});
    }
    // The image descriptor must repeat the screen's size at the origin.
    if (at + 11 > file.size() || file[at] != 0x2C ||
        !std::equal(file.begin() + 6, file.begin() + 10, file.begin() + at + 5) ||
        file[at + 1] | file[at + 2] | file[at + 3] | file[at + 4]) {
        return std::nullopt;
    }
    parts.imageFlags = file[at + 9];
    parts.minimumCodeSize = file[at + 10];
    for (at += 11; at < file.size() && file[at] != 0; at += 1 + file[at]) {
        if (at + 1 + file[at] > file.size()) return std::nullopt;
        parts.blockSizes.push_back(file[at]);
        parts.data.insert(parts.data.end(), file.begin() + at + 1, file.begin() + at + 1 + file[at]);
    }
    if (at + 2 != file.size() || file[at + 1] != 0x3B) return std::nullopt;
    return parts;
}

std::vector<int> ReadCodes(const Bytes& data, int minimumCodeSize) {
    std::vector<int> codes;
    LzwCodeWidths widths(minimumCodeSize);
    for (std::size_t bit = 0; bit + std::size_t(widths.width()) <= 8 * data.size();) {
        int code = 0;
        for (int i = 0; i < widths.width(); ++i, ++bit) code |= (data[bit / 8] >> (bit % 8) & 1) << i;
        codes.push_back(code);
        if (code == (1 << minimumCodeSize) + 1) break;
        widths.Saw(code);
    }
    return codes;
}

WrittenGif WriteAndRead(PackedBitmap bitmap) {
    TempFolder folder;
    const std::string path = folder.File("out.gif");
    const std::int32_t status = WriteGifFile(bitmap, path.c_str());
    return WrittenGif{status, FileExists(path), ReadBytes(path)};
}

std::int32_t ReadGifBytes(const Bytes& file, PackedBitmap* result) {
    TempFolder folder;
    WriteBytes(folder.File("in.gif"), file);
    return ReadGifFile(result, folder.File("in.gif").c_str());
}

std::vector<int> IndicesOf(PackedBitmap bitmap) {
    BitmapLock header(bitmap);
    std::vector<int> indices;
    for (int y = 0; y < header->biHeight; ++y)
        for (int x = 0; x < header->biWidth; ++x) indices.push_back(IndexOf(bitmap, x, y));
    return indices;
}

std::vector<Rgb> TableOf(PackedBitmap bitmap) {
    std::vector<Rgb> table;
    for (int i = 0; i < int(ImpliedColourCount(*BitmapLock(bitmap).data())); ++i)
        table.push_back(TableColour(bitmap, i));
    return table;
}

std::vector<Rgb> Colours(int count) {
    std::vector<Rgb> palette;
    for (int i = 0; i < count; ++i)
        palette.push_back(Rgb{std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2)});
    return palette;
}
