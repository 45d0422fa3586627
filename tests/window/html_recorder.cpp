// Stands in for the browser as the shell's "open" of .html files: keeps its command line in
// "recorded.txt" beside itself.
#include <windows.h>

#include <cstdio>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    char* slash = std::strrchr(path, '\\');
    if (length == 0 || length >= MAX_PATH || slash == nullptr) return 1;
    std::strcpy(slash + 1, "recorded.txt");
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return 1;
    std::fputs(GetCommandLineA(), file);
    return std::fclose(file) == 0 ? 0 : 1;
}
