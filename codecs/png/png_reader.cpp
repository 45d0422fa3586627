#include "codecs/png/png_reader.h"

#include "codecs/png/palette_colours.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr double kScreenGamma = 2.2;

// Everything one read holds, as plain fields: libpng leaves its calls by a long jump, so no
// object that needs destruction may live across them. Release frees what is set.
struct PngRead {
    std::FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_bytepp rows = nullptr;  // pointers into the bitmap's rows
    HGLOBAL bitmap = nullptr;
    BITMAPINFOHEADER* header = nullptr;  // the bitmap, locked
};

// libpng's messages are not the user's: failures become statuses, warnings are dropped.
void Ignore(png_structp, png_const_charp) {}
void Abandon(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

// What the transformations make of the file: 8-bit indices into the (composed, corrected)
// palette, 8-bit grey of `greyLevels` levels, or 24-bit blue, green, red.
struct OutputForm {
    bool palette = false;
    int greyLevels = 0;
};

void ComposeOverBackground(png_structp png, png_infop info, std::uint32_t background) {
    png_color_16p own = nullptr;
    png_color_16 colour{};
    if (!png_get_bKGD(png, info, &own)) {
        colour.red = png_uint_16(background & 0xFF);
        colour.green = png_uint_16(background >> 8 & 0xFF);
        colour.blue = png_uint_16(background >> 16 & 0xFF);
        png_set_background(png, &colour, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    } else if ((png_get_color_type(png, info) & PNG_COLOR_MASK_COLOR) == 0) {
        // A grey level in the file's own scale: at 8 bits, as libpng would not widen it.
        const int depth = png_get_bit_depth(png, info);
        const int level = depth == 16 ? own->gray >> 8 : own->gray * 255 / ((1 << depth) - 1);
        colour.red = colour.green = colour.blue = png_uint_16(level);
        png_set_background(png, &colour, PNG_BACKGROUND_GAMMA_FILE, 0, 1.0);
    } else {
        // An index or a colour in the file's own bit depth.
        png_set_background(png, own, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
    }
}

// Asks libpng for 8-bit samples, blue-green-red order, the file's gamma corrected and
// transparency composed away; the grey levels of the output, or 0 for 24-bit colour.
int RequestColourTransformations(png_structp png, png_infop info, std::uint32_t background) {
    const int colourType = png_get_color_type(png, info), depth = png_get_bit_depth(png, info);
    const bool grey = (colourType & PNG_COLOR_MASK_COLOR) == 0;
    const bool transparent = (colourType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    // libpng holds sRGB's own gamma, 1/2.2, for a file with sRGB, whatever its gAMA says.
    double fileGamma = 0;
    const bool correct = png_get_gAMA(png, info, &fileGamma);
    if (correct) png_set_gamma(png, kScreenGamma, fileGamma);
    if (depth == 16) png_set_strip_16(png);
    int greyLevels = 0;
    if (grey && !transparent) {
        // Corrected greys are widened first, so that every level is corrected at full precision.
        if (depth < 8 && correct) png_set_expand_gray_1_2_4_to_8(png);
        if (depth < 8 && !correct) png_set_packing(png);
        greyLevels = depth < 8 && !correct ? 1 << depth : 256;
    } else {
        // Grey with transparency turns to colour first, so that it is composed over the
        // background colour itself.
        if (grey) {
            png_set_expand(png);
            png_set_gray_to_rgb(png);
        }
        png_set_bgr(png);
    }
    if (transparent) ComposeOverBackground(png, info, background);
    return greyLevels;
}

// A palette file keeps its indices: libpng leaves the palette as the file has it, so its
// table is worked out from the file's own chunks.
OutputForm RequestTransformations(png_structp png, png_infop info, std::uint32_t background) {
    OutputForm form;
    if (png_get_color_type(png, info) == PNG_COLOR_TYPE_PALETTE) {
        if (png_get_bit_depth(png, info) < 8) png_set_packing(png);
        form.palette = true;
    } else {
        form.greyLevels = RequestColourTransformations(png, info, background);
    }
    png_set_interlace_handling(png);
    return form;
}

// The palette's entries as shown: corrected for the file's gamma and composed by their tRNS
// alpha over the file's background entry, or else the caller's colour.
void FillPaletteTable(png_structp png, png_infop info, std::uint32_t background, RGBQUAD* table) {
    png_colorp palette = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &palette, &count);
    png_bytep alphas = nullptr;
    int alphaCount = 0;
    png_get_tRNS(png, info, &alphas, &alphaCount, nullptr);
    PaletteLight light;
    png_get_gAMA(png, info, &light.fileGamma);
    png_color_16p own = nullptr;
    if (png_get_bKGD(png, info, &own) && own->index < count) {
        const png_color& entry = palette[own->index];
        light.background = PaletteEntry{entry.red, entry.green, entry.blue};
        light.backgroundInFileGamma = true;
    } else {
        light.background = PaletteEntry{std::uint8_t(background & 0xFF), std::uint8_t(background >> 8 & 0xFF),
                                        std::uint8_t(background >> 16 & 0xFF)};
    }
    for (int i = 0; i < count; ++i) {
        const int alpha = alphas != nullptr && i < alphaCount ? alphas[i] : 255;
        table[i] =
            ShownPaletteEntry(PaletteEntry{palette[i].red, palette[i].green, palette[i].blue}, alpha, light);
    }
}

void FillGreyRamp(int levels, RGBQUAD* table) {
    for (int level = 0; level < levels; ++level) {
        const BYTE value = BYTE(level * 255 / (levels - 1));
        table[level] = RGBQUAD{value, value, value, 0};
    }
}

// The read from the signature on; libpng's failures jump back to the start with -1.
PngReadStatus Decode(PngRead* read, std::uint32_t background) {
    png_structp png = read->png;
    png_infop info = read->info;
    if (setjmp(png_jmpbuf(png))) return kPngCannotRead;
    png_init_io(png, read->file);
    png_set_sig_bytes(png, 4);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    if (!IsPictureSizeAccepted(width, height)) return kPngReadUnsupported;
    const OutputForm form = RequestTransformations(png, info, background);
    png_read_update_info(png, info);

    const int depth = png_get_channels(png, info) * png_get_bit_depth(png, info);
    int colours = 0;
    if (form.palette) {
        png_colorp palette = nullptr;
        png_get_PLTE(png, info, &palette, &colours);
    } else {
        colours = form.greyLevels;
    }
    const bool indexed = depth == 8 && colours >= 1 && colours <= 256;
    if (!indexed && depth != 24) return kPngReadUnsupported;
    read->bitmap =
        AllocatePackedBitmap(int(width), int(height), depth, std::uint32_t(indexed ? colours : 0)).release();
    read->header = read->bitmap ? static_cast<BITMAPINFOHEADER*>(GlobalLock(read->bitmap)) : nullptr;
    if (read->header == nullptr) return kPngReadOutOfMemory;
    const std::uint32_t stride = RowBytes(depth, int(width));
    if (png_get_rowbytes(png, info) > stride) return kPngReadUnsupported;
    if (form.palette) FillPaletteTable(png, info, background, ColourTable(read->header));
    if (!form.palette && depth == 8) FillGreyRamp(form.greyLevels, ColourTable(read->header));

    // Rows go straight into the bitmap, the top one last in the block.
    read->rows = static_cast<png_bytepp>(std::malloc(sizeof(png_bytep) * height));
    if (read->rows == nullptr) return kPngReadOutOfMemory;
    BYTE* pixels = PixelRows(read->header);
    for (png_uint_32 y = 0; y < height; ++y) read->rows[y] = pixels + std::size_t{stride} * (height - 1 - y);
    png_read_image(png, read->rows);
    return kPngReadOk;
}

// Every ancillary chunk but those that decide the colours is passed over unread: texts and
// the like may come by the thousand, each inflating to megabytes. The limits on kept chunks
// are set here, the same in every build of libpng.
void ReadOnlyWhatThePictureNeeds(png_structp png) {
    static constexpr png_byte kColourChunks[] = "bKGD\0cHRM\0gAMA\0iCCP\0sBIT\0sRGB";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_AS_DEFAULT, kColourChunks, sizeof kColourChunks / 5);
    png_set_chunk_cache_max(png, 16);
    png_set_chunk_malloc_max(png, 8000000);
}

// Opens the file, checks the first four signature bytes and creates libpng's records.
PngReadStatus Open(PngRead* read, const char* path) {
    read->file = std::fopen(path, "rb");
    if (read->file == nullptr) return kPngCannotRead;
    png_byte signature[4];
    if (std::fread(signature, 1, 4, read->file) != 4 || png_sig_cmp(signature, 0, 4) != 0)
        return kPngCannotRead;
    read->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Abandon, Ignore);
    if (read->png == nullptr) return kPngReadOutOfMemory;
    ReadOnlyWhatThePictureNeeds(read->png);
    read->info = png_create_info_struct(read->png);
    return read->info ? kPngReadOk : kPngReadOutOfMemory;
}

void Release(PngRead* read, bool keepBitmap) {
    std::free(read->rows);
    if (read->header) GlobalUnlock(read->bitmap);
    if (read->bitmap && !keepBitmap) GlobalFree(read->bitmap);
    if (read->png) png_destroy_read_struct(&read->png, read->info ? &read->info : nullptr, nullptr);
    if (read->file) std::fclose(read->file);
}

}  // namespace

PngReadStatus ReadPngFile(PackedBitmap* result, const char* path, std::uint32_t background) {
    *result = nullptr;
    PngRead read;
    PngReadStatus status = Open(&read, path);
    if (status == kPngReadOk) status = Decode(&read, background);
    Release(&read, status == kPngReadOk);
    if (status == kPngReadOk) *result = read.bitmap;
    return status;
}
