#include "platform/stand_in/global_memory.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {

struct Block {
    void* bytes;
    SIZE_T size;
    unsigned locks;
};

// Handles are opaque numbers, so a stale or foreign handle is recognised instead of dereferenced.
class BlockTable {
  public:
    HGLOBAL Add(void* bytes, SIZE_T size) {
        std::lock_guard<std::mutex> hold(mutex_);
        HGLOBAL handle = reinterpret_cast<HGLOBAL>(next_++ * 8);
        blocks_[handle] = Block{bytes, size, 0};
        return handle;
    }
    template <typename Action>
    auto With(HGLOBAL handle, Action action, decltype(action(nullptr)) missing) {
        std::lock_guard<std::mutex> hold(mutex_);
        auto found = blocks_.find(handle);
        return found == blocks_.end() ? missing : action(&found->second);
    }
    bool Remove(HGLOBAL handle) {
        std::lock_guard<std::mutex> hold(mutex_);
        auto found = blocks_.find(handle);
        if (found == blocks_.end()) return false;
        std::free(found->second.bytes);
        blocks_.erase(found);
        return true;
    }

  private:
    std::mutex mutex_;
    std::unordered_map<HGLOBAL, Block> blocks_;
    std::uintptr_t next_ = 1;
};

// Never destroyed, so blocks held by static objects can still be freed at exit.
BlockTable& Blocks() {
    static BlockTable* table = new BlockTable;
    return *table;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
    void* memory =
        (flags & GMEM_ZEROINIT) ? std::calloc(bytes ? bytes : 1, 1) : std::malloc(bytes ? bytes : 1);
    if (memory == nullptr) return nullptr;
    return Blocks().Add(memory, bytes);
}

LPVOID GlobalLock(HGLOBAL block) {
    return Blocks().With(
        block,
        [](Block* b) -> LPVOID {
            if (b->size == 0) return nullptr;
            ++b->locks;
            return b->bytes;
        },
        nullptr);
}

BOOL GlobalUnlock(HGLOBAL block) {
    return Blocks().With(
        block,
        [](Block* b) -> BOOL {
            if (b->locks == 0) return FALSE;
            return --b->locks > 0 ? TRUE : FALSE;
        },
        FALSE);
}

HGLOBAL GlobalFree(HGLOBAL block) {
    return Blocks().Remove(block) ? nullptr : block;
}

SIZE_T GlobalSize(HGLOBAL block) {
    return Blocks().With(
        block, [](Block* b) { return b->size; }, SIZE_T{0});
}
