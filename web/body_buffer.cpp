#include "web/body_buffer.h"

#include <algorithm>
#include <utility>

bool BodyBuffer::Reserve(std::size_t count) {
    const std::size_t needed = size_ + count + kSpare;
    if (needed <= capacity_) return true;
    // Doubling keeps the copying linear; the ceiling keeps the last step from overshooting.
    const std::size_t grown = std::max(needed, std::min(capacity_ * 2, ceiling_ + kSpare));
    void* moved = std::realloc(data_, grown);
    if (moved == nullptr) return false;
    data_ = static_cast<std::uint8_t*>(moved);
    capacity_ = grown;
    return true;
}

FetchedBody BodyBuffer::Release() {
    if (!Reserve(0)) return nullptr;
    Terminate();
    size_ = capacity_ = 0;
    return FetchedBody(std::exchange(data_, nullptr));
}
