// Feeds arbitrary bytes to the AVIF reader as a file.
#include "codecs/avif/avif_reader.h"
#include "fuzz/input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteInputFile(data, size, ".avif");
    PackedBitmap picture = nullptr;
    if (path.empty() || ReadAvifFile(&picture, path.c_str(), 0x804020) != kAvifReadOk) return 0;
    GlobalFree(picture);
    return 0;
}
