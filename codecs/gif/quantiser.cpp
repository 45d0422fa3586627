// Quantising a picture with more than 256 colours.
#include "codecs/gif/dither_mapping.h"
#include "codecs/gif/palette_reduction.h"
#include "codecs/gif/reduced_palette.h"

PackedBitmap QuantizeWithDither(PackedBitmap source) {
    const std::optional<Palette> palette = BuildReducedPalette(source);
    if (!palette) return nullptr;
    return MapWithDither(source, *palette);
}
