// CleanupIcons, exported by the program for the modules that hand it arrays of icons.
#include <windows.h>

#include <cstdlib>

extern "C" __declspec(dllexport) void CleanupIcons(HICON* icons, int count) {
    if (icons == nullptr) return;
    for (int i = 0; i < count; ++i) {
        if (icons[i] != nullptr) DestroyIcon(icons[i]);
    }
    std::free(icons);
}
