// Stands in for the programs korvi starts, the paint program and the browser: keeps its command line
// in "recorded.txt" beside itself. Given a BMP file, it first inverts its pixels; when
// "editor-hold" lies beside it, it then shows a message box "korvi test editor" and runs until
// that box is closed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// Inverts the pixels of a BMP file, as an edit; leaves anything else as it is.
void InvertIfBmp(const char* path) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(file), {}};
    if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0) return;
    unsigned offset = 0;  // little-endian, as the file
    std::memcpy(&offset, &bytes[10], sizeof offset);
    for (std::size_t i = offset; i < bytes.size(); ++i) bytes[i] = static_cast<char>(~bytes[i]);
    file.seekp(0);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
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
