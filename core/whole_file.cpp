#include "core/whole_file.h"

#include "core/classic_file.h"
#include "core/global_block.h"

namespace {

// The length of the open file, with the position back at its start; 0 when it is empty or
// cannot be positioned.
std::uint32_t LengthFromStart(ClassicFile& file) {
    const LONG length = file.SeekToEnd();
    return length > 0 && file.Seek(0) ? static_cast<std::uint32_t>(length) : 0;
}

}  // namespace

HGLOBAL LoadFileToGlobal(const char* path, std::uint32_t* size) {
    *size = 0;
    ClassicFile file = ClassicFile::OpenForReading(path);
    if (!file.is_open()) return nullptr;
    const std::uint32_t bytes = LengthFromStart(file);
    if (bytes == 0) return nullptr;
    GlobalBlock block = GlobalBlock::Allocate(bytes);
    {
        BlockLock<BYTE> data(block.get());
        if (!data || !file.ReadExactly(data.data(), bytes)) return nullptr;
    }
    *size = bytes;
    return block.release();
}
