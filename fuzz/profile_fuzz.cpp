// Feeds arbitrary bytes to the settings-file reader and writer as an INI file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/kernel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/korvi-fuzz-" + std::to_string(getpid()) + ".ini";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    char value[64];
    GetPrivateProfileStringA("minicon", "Rect", "", value, sizeof value, path.c_str());
    GetPrivateProfileIntA("MINICON", "flags", 0, path.c_str());
    WritePrivateProfileStringA("minicon", "Pixel", "430", path.c_str());
    WritePrivateProfileStringA("Tools", "EditBitmap", nullptr, path.c_str());
    WritePrivateProfileStringA("minicon", nullptr, nullptr, path.c_str());
    return 0;
}
