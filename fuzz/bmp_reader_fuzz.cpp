// Feeds arbitrary bytes to the BMP reader as a file, and what it reads to the normaliser.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/bmp_file.h"
#include "core/normalise.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/korvi-fuzz-" + std::to_string(getpid()) + ".bmp";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    PackedBitmap picture = nullptr;
    if (ReadBmpFile(&picture, path.c_str()) == 0) GlobalFree(NormaliseTo24(picture));
    return 0;
}
