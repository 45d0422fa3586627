#include "tests/unit/gif/gif_test_support.h"

#include "codecs/gif/gif_writer.h"

namespace {

class ByteReader {
  public:
    explicit ByteReader(const Bytes& bytes) : bytes_(bytes) {}
    bool Has(std::size_t n) const { return at_ + n <= bytes_.size(); }
    int Byte() { return bytes_[at_++]; }
    int Word() {
        const int low = Byte();
        return low | Byte() << 8;
    }
    bool AtEnd() const { return at_ == bytes_.size(); }

  private:
    const Bytes& bytes_;
    std::size_t at_ = 0;
};

}  // namespace

std::optional<GifFileParts> SplitGifFile(const Bytes& file) {
    ByteReader in(file);
    if (!in.Has(13)) return std::nullopt;
    for (char c : std::string("GIF87a")) {
        if (in.Byte() != static_cast<unsigned char>(c)) return std::nullopt;
    }
    GifFileParts parts;
    parts.width = in.Word();
    parts.height = in.Word();
    parts.packed = in.Byte();
    in.Byte();
    in.Byte();
    if (!(parts.packed & 0x80)) return std::nullopt;
    const std::size_t entries = std::size_t{2} << (parts.packed & 7);
    if (!in.Has(3 * entries + 11)) return std::nullopt;
    for (std::size_t i = 0; i < entries; ++i) {
        const int r = in.Byte(), g = in.Byte(), b = in.Byte();
        parts.table.push_back(Rgb{std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)});
    }
    if (in.Byte() != 0x2C || in.Word() != 0 || in.Word() != 0) return std::nullopt;
    if (in.Word() != parts.width || in.Word() != parts.height) return std::nullopt;
    parts.imageFlags = in.Byte();
    parts.minimumCodeSize = in.Byte();
    for (;;) {
        if (!in.Has(1)) return std::nullopt;
        const std::size_t size = std::size_t(in.Byte());
        if (size == 0) break;
        if (!in.Has(size)) return std::nullopt;
        parts.blockSizes.push_back(size);
        for (std::size_t i = 0; i < size; ++i) parts.data.push_back(std::uint8_t(in.Byte()));
    }
    if (!in.Has(1) || in.Byte() != 0x3B || !in.AtEnd()) return std::nullopt;
    return parts;
}

std::vector<int> ReadCodes(const Bytes& data, int minimumCodeSize) {
    const int clear = 1 << minimumCodeSize, end = clear + 1;
    std::vector<int> codes;
    int width = minimumCodeSize + 1, next = clear + 2;
    bool first = true;
    std::size_t bit = 0;
    while (bit + std::size_t(width) <= 8 * data.size()) {
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit) code |= (data[bit / 8] >> (bit % 8) & 1) << i;
        codes.push_back(code);
        if (code == end) break;
        if (code == clear) {
            width = minimumCodeSize + 1;
            next = clear + 2;
            first = true;
            continue;
        }
        // Every code but the first after a clear adds a table entry.
        if (!first && next < 4096 && ++next == 1 << width && width < 12) ++width;
        first = false;
    }
    return codes;
}

int IndexOf(PackedBitmap bitmap, int x, int y) {
    BitmapLock header(bitmap);
    const int depth = header->biBitCount;
    const BYTE* row =
        PixelRows(header.data()) + std::size_t{RowBytes(depth, header->biWidth)} * (header->biHeight - 1 - y);
    const int perByte = 8 / depth;
    return row[x / perByte] >> ((perByte - 1 - x % perByte) * depth) & ((1 << depth) - 1);
}

Rgb TableColour(PackedBitmap bitmap, int index) {
    BitmapLock header(bitmap);
    const RGBQUAD q = ColourTable(header.data())[index];
    return Rgb{q.rgbRed, q.rgbGreen, q.rgbBlue};
}

WrittenGif WriteAndRead(PackedBitmap bitmap, const TempFolder& folder) {
    const std::string path = folder.File("out.gif");
    const std::int32_t status = WriteGifFile(bitmap, path.c_str());
    return WrittenGif{status, ReadBytes(path)};
}
