// Feeds arbitrary bytes to the BMP reader as a file, and what it reads to the normaliser.
#include "core/bmp_file.h"
#include "core/normalise.h"
#include "fuzz/input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteInputFile(data, size, ".bmp");
    PackedBitmap picture = nullptr;
    if (!path.empty() && ReadBmpFile(&picture, path.c_str()) == 0) GlobalFree(NormaliseTo24(picture));
    return 0;
}
