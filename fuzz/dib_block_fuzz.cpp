// Feeds arbitrary bytes to the loader as a packed bitmap block, the way a clipboard bitmap
// arrives: no file, no reader, only the header's word for what the block holds.
#include <cstdint>
#include <cstring>

#include "core/picture_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    GlobalBlock block = GlobalBlock::Allocate(size);
    {
        BlockLock<BYTE> bytes(block.get());
        if (!bytes) return 0;
        std::memcpy(bytes.data(), data, size);
    }
    GlobalFree(PreparePicture(block.release(), nullptr));
    return 0;
}
