// Feeds arbitrary bytes to the loader as a packed bitmap block, the way a clipboard bitmap
// arrives: once as the block itself, once through the BMP reader's rules as the window reads it.
#include <cstdint>
#include <cstring>

#include "core/bmp_file.h"
#include "pipeline/picture_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    GlobalBlock block = GlobalBlock::Allocate(size);
    {
        BlockLock<BYTE> bytes(block.get());
        if (!bytes) return 0;
        std::memcpy(bytes.data(), data, size);
    }
    GlobalFree(PreparePicture(block.release(), nullptr));
    PackedBitmap read = nullptr;
    ReadBmpBlock(&read, data, size);
    GlobalFree(PreparePicture(read, nullptr));
    return 0;
}
