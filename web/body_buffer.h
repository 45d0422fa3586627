// A body growing piece by piece on the C heap, always with spare bytes for a terminating zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

struct FreeBody {
    void operator()(std::uint8_t* bytes) const { std::free(bytes); }
};
// A body on the C heap with a zero byte behind it, released with free.
using FetchedBody = std::unique_ptr<std::uint8_t, FreeBody>;

class BodyBuffer {
  public:
    // Spare bytes kept behind the data.
    static constexpr std::size_t kSpare = 16;

    // `ceiling`: the most the buffer ever needs to hold, so that growing never passes it.
    explicit BodyBuffer(std::size_t ceiling) : ceiling_(ceiling) {}
    BodyBuffer(const BodyBuffer&) = delete;
    BodyBuffer& operator=(const BodyBuffer&) = delete;
    ~BodyBuffer() { std::free(data_); }

    std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::uint8_t* end() const { return data_ + size_; }

    // Room for `count` more bytes and the spare; false when memory fails.
    bool Reserve(std::size_t count);
    // Counts `count` bytes written at end() as data.
    void Grow(std::size_t count) { size_ += count; }
    // A zero byte behind the data, which stays in place.
    void Terminate() { data_[size_] = 0; }
    // The terminated data, handed over.
    FetchedBody Release();

  private:
    std::size_t ceiling_;
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0, capacity_ = 0;
};
