// Feeds arbitrary bytes to korvi-cli's BMP decoder as a file.
#include "codecs/bmp/bmp_decoder.h"
#include "fuzz/input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteInputFile(data, size, ".bmp");
    PackedBitmap picture = nullptr;
    if (!path.empty() && DecodeBmpFile(&picture, path.c_str(), 0x804020) == kBmpDecodeOk) GlobalFree(picture);
    return 0;
}
