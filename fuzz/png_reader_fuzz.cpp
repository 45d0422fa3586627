// Feeds arbitrary bytes to the PNG reader as a file, and what it reads, when small, to the
// normaliser (whose own target takes large pictures).
#include "codecs/png/png_reader.h"
#include "core/normalise.h"
#include "fuzz/input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteInputFile(data, size, ".png");
    PackedBitmap picture = nullptr;
    if (path.empty() || ReadPngFile(&picture, path.c_str(), 0x804020) != 0) return 0;
    const bool small = GlobalSize(picture) <= (1u << 20);
    GlobalFree(small ? NormaliseTo24(picture) : picture);
    return 0;
}
