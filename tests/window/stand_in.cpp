// Stands in for the programs korvi starts, the paint program and the browser: keeps its command line
// in "recorded.txt" beside itself. Given a BMP file, it first inverts its pixels; when
// "editor-hold" lies beside it, it then shows a message box "korvi test editor" and runs until
// that box is closed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Inverts the pixels of a BMP file, as an edit; leaves anything else as it is.
void InvertIfBmp(const char* path) {
    std::FILE* file = std::fopen(path, "r+b");
    if (file == nullptr) return;
    std::vector<unsigned char> bytes;
    unsigned char block[65536];
    for (std::size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;) {
        bytes.insert(bytes.end(), block, block + got);
    }
    if (bytes.size() >= 54 && bytes[0] == 'B' && bytes[1] == 'M') {
        const std::size_t offset = bytes[10] | bytes[11] << 8 | bytes[12] << 16 | bytes[13] << 24;
        for (std::size_t i = offset; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(~bytes[i]);
        std::fseek(file, 0, SEEK_SET);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
    }
    std::fclose(file);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    std::string folder = self;
    folder.erase(folder.find_last_of('\\') + 1);
    for (int i = 1; i < __argc; ++i) InvertIfBmp(__argv[i]);
    // Written aside and renamed, so that the record is whole once it is there.
    const std::string record = folder + "recorded.txt", partial = record + ".part";
    std::FILE* file = std::fopen(partial.c_str(), "wb");
    if (file == nullptr) return 1;
    std::fputs(GetCommandLineA(), file);
    if (std::fclose(file) != 0 || !MoveFileExA(partial.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return 1;
    }
    if (GetFileAttributesA((folder + "editor-hold").c_str()) != INVALID_FILE_ATTRIBUTES)
        MessageBoxA(nullptr, "editing", "korvi test editor", MB_OK);
    return 0;
}
