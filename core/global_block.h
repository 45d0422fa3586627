// Ownership and locking of global memory blocks, so that every path frees and unlocks.
#pragma once

#include <utility>

#include "platform/kernel.h"

// Owns a block and frees it unless released.
class GlobalBlock {
  public:
    GlobalBlock() = default;
    explicit GlobalBlock(HGLOBAL handle) : handle_(handle) {}
    GlobalBlock(GlobalBlock&& other) noexcept : handle_(other.release()) {}
    GlobalBlock& operator=(GlobalBlock&& other) noexcept {
        reset(other.release());
        return *this;
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    ~GlobalBlock() { reset(); }

    static GlobalBlock Allocate(SIZE_T bytes) {
        return GlobalBlock(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes));
    }

    HGLOBAL get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    HGLOBAL release() { return std::exchange(handle_, nullptr); }
    void reset(HGLOBAL handle = nullptr) {
        if (handle_) GlobalFree(handle_);
        handle_ = handle;
    }

  private:
    HGLOBAL handle_ = nullptr;
};

// Holds a block locked for its lifetime; `data()` is null when the lock failed.
template <typename T = BYTE>
class BlockLock {
  public:
    explicit BlockLock(HGLOBAL handle)
        : handle_(handle), data_(handle ? static_cast<T*>(GlobalLock(handle)) : nullptr) {}
    BlockLock(const BlockLock&) = delete;
    BlockLock& operator=(const BlockLock&) = delete;
    ~BlockLock() {
        if (data_) GlobalUnlock(handle_);
    }

    T* data() const { return data_; }
    T* operator->() const { return data_; }
    explicit operator bool() const { return data_ != nullptr; }

  private:
    HGLOBAL handle_;
    T* data_;
};
