#include "tests/support/png_fixture.h"

#include <png.h>

#include <csetjmp>

namespace {

// The rows as the file stores them: samples packed from the most significant bit, 16-bit
// samples big-endian.
std::vector<Bytes> PackRows(const PngFixture& f) {
    const std::size_t perRow = std::size_t(f.width) * PngChannels(f.colourType);
    std::vector<Bytes> rows;
    for (int y = 0; y < f.height; ++y) {
        Bytes row((perRow * f.depth + 7) / 8, 0);
        for (std::size_t i = 0; i < perRow; ++i) {
            const std::uint16_t sample = f.samples[y * perRow + i];
            if (f.depth == 16) {
                row[2 * i] = std::uint8_t(sample >> 8);
                row[2 * i + 1] = std::uint8_t(sample);
            } else {
                const std::size_t bit = i * f.depth;
                row[bit / 8] = std::uint8_t(row[bit / 8] | sample << (8 - f.depth - bit % 8));
            }
        }
        rows.push_back(row);
    }
    return rows;
}

void Append(png_structp png, png_bytep data, png_size_t length) {
    Bytes* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

// Everything libpng needs, prepared before the jump buffer is set.
struct Prepared {
    const PngFixture* fixture;
    std::vector<png_color> palette;
    png_color_16 transparent{}, background{};
    std::vector<png_bytep> rows;
    std::vector<png_text> texts;
};

bool Write(png_structp png, png_infop info, const Prepared& p, Bytes* out) {
    if (setjmp(png_jmpbuf(png))) return false;
    const PngFixture& f = *p.fixture;
    png_set_write_fn(png, out, Append, nullptr);
    png_set_IHDR(png, info, png_uint_32(f.width), png_uint_32(f.height), f.depth, f.colourType,
                 f.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!p.palette.empty()) png_set_PLTE(png, info, p.palette.data(), int(p.palette.size()));
    if (!f.paletteAlpha.empty())
        png_set_tRNS(png, info, f.paletteAlpha.data(), int(f.paletteAlpha.size()), nullptr);
    if (!f.transparent.empty()) png_set_tRNS(png, info, nullptr, 0, &p.transparent);
    if (!f.background.empty()) png_set_bKGD(png, info, &p.background);
    if (f.gamma > 0) png_set_gAMA(png, info, f.gamma);
    if (!p.texts.empty()) png_set_text(png, info, p.texts.data(), int(p.texts.size()));
    png_write_info(png, info);
    png_write_image(png, const_cast<png_bytepp>(p.rows.data()));
    png_write_end(png, info);
    return true;
}

// A bKGD or tRNS of one value (an index or a grey level) or three (red, green, blue).
png_color_16 ColourOf(const std::vector<std::uint16_t>& v) {
    if (v.size() == 3) return png_color_16{0, v[0], v[1], v[2], 0};
    return v.empty() ? png_color_16{} : png_color_16{png_byte(v[0]), 0, 0, 0, v[0]};
}

}  // namespace

int PngChannels(int colourType) {
    return colourType == PNG_COLOR_TYPE_RGB          ? 3
           : colourType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
           : colourType == PNG_COLOR_TYPE_RGB_ALPHA  ? 4
                                                     : 1;
}

Bytes BuildPng(const PngFixture& f) {
    std::vector<Bytes> rows = PackRows(f);
    Prepared p{&f, {}, ColourOf(f.transparent), ColourOf(f.background), {}, {}};
    for (const std::string& text : f.compressedTexts)
        p.texts.push_back({PNG_TEXT_COMPRESSION_zTXt, const_cast<char*>("Comment"),
                           const_cast<char*>(text.c_str()), text.size(), 0, nullptr, nullptr});
    for (const Rgb& c : f.palette) p.palette.push_back(png_color{c.r, c.g, c.b});
    for (Bytes& row : rows) p.rows.push_back(row.data());
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    Bytes out;
    const bool written = Write(png, info, p, &out);
    png_destroy_write_struct(&png, &info);
    return written ? out : Bytes{};
}
