// Feeds arbitrary bytes to what the main window reads from its settings file, and to the stored
// rectangle's parser directly.
#include <string>

#include "app/settings_file.h"
#include "fuzz/input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ParseStoredRect(std::string(reinterpret_cast<const char*>(data), size).c_str());
    const std::string path = WriteInputFile(data, size, ".ini");
    if (path.empty()) return 0;
    const WindowSettings settings = ReadWindowSettings(path);
    if (settings.inputFile.size() >= 260 || settings.sizeChange < 0 || settings.sizeChange > 3 ||
        settings.format < 0 || settings.format > 2 || settings.jpegQuality < 30 ||
        settings.jpegQuality > 100 || settings.pixel < 64 || settings.pixel > 800) {
        __builtin_trap();
    }
    ReadSettingsWord(path);
    return 0;
}
