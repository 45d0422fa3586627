// Feeds arbitrary bytes to the settings-file reader and writer as an INI file.
#include "fuzz/input_file.h"
#include "platform/kernel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteInputFile(data, size, ".ini");
    if (path.empty()) return 0;
    char value[64];
    GetPrivateProfileStringA("minicon", "Rect", "", value, sizeof value, path.c_str());
    GetPrivateProfileIntA("MINICON", "flags", 0, path.c_str());
    WritePrivateProfileStringA("minicon", "Pixel", "430", path.c_str());
    WritePrivateProfileStringA("Tools", "EditBitmap", nullptr, path.c_str());
    WritePrivateProfileStringA("minicon", nullptr, nullptr, path.c_str());
    return 0;
}
