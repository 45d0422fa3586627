// A file opened with the classic calls, closed on every path.
#pragma once

#include <cstdint>

#include "platform/kernel.h"

class ClassicFile {
  public:
    static ClassicFile OpenForReading(const char* path) {
        return ClassicFile(_lopen(path, OF_READ | OF_SHARE_DENY_NONE));
    }
    static ClassicFile Create(const char* path) { return ClassicFile(_lcreat(path, 0)); }

    ClassicFile(ClassicFile&& other) noexcept : file_(other.file_) { other.file_ = HFILE_ERROR; }
    ClassicFile(const ClassicFile&) = delete;
    ClassicFile& operator=(const ClassicFile&) = delete;
    ~ClassicFile() {
        if (is_open()) _lclose(file_);
    }

    bool is_open() const { return file_ != HFILE_ERROR; }
    bool ReadExactly(void* buffer, std::uint32_t bytes) {
        return _hread(file_, buffer, static_cast<long>(bytes)) == static_cast<long>(bytes);
    }
    bool WriteExactly(const void* buffer, std::uint32_t bytes) {
        return _hwrite(file_, static_cast<const char*>(buffer), static_cast<long>(bytes)) ==
               static_cast<long>(bytes);
    }
    bool Seek(std::uint32_t offset) {
        return _llseek(file_, static_cast<LONG>(offset), FILE_BEGIN) == static_cast<LONG>(offset);
    }
    // Length in bytes, leaving the position at the end; negative on failure.
    LONG SeekToEnd() { return _llseek(file_, 0, FILE_END); }

  private:
    explicit ClassicFile(HFILE file) : file_(file) {}
    HFILE file_;
};
