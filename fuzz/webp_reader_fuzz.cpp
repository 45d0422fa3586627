// Feeds arbitrary bytes to the WebP reader as a file.
#include "codecs/webp/webp_reader.h"
#include "fuzz/input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteInputFile(data, size, ".webp");
    PackedBitmap picture = nullptr;
    if (path.empty() || ReadWebpFile(&picture, path.c_str(), 0x804020) != kWebpReadOk) return 0;
    GlobalFree(picture);
    return 0;
}
