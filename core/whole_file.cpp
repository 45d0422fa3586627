#include "core/whole_file.h"

#include <cstdlib>

#include "core/classic_file.h"

BYTE* ReadWholeFile(const char* path, std::uint32_t* size) {
    *size = 0;
    ClassicFile file = ClassicFile::OpenForReading(path);
    if (!file.is_open()) return nullptr;
    const LONG length = file.SeekToEnd();
    if (length <= 0) return nullptr;
    const std::uint32_t bytes = static_cast<std::uint32_t>(length);
    BYTE* buffer = static_cast<BYTE*>(std::malloc(std::size_t{bytes} + 16));
    if (buffer == nullptr) return nullptr;
    if (!file.Seek(0) || !file.ReadExactly(buffer, bytes)) {
        std::free(buffer);
        return nullptr;
    }
    buffer[bytes] = 0;
    *size = bytes;
    return buffer;
}
