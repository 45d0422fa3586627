// A file opened with the classic calls, closed on every path. The program writes every file of
// its own through this class, checking each write and the close.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

#include "platform/kernel.h"

class ClassicFile {
  public:
    static ClassicFile OpenForReading(const char* path) {
        return ClassicFile(_lopen(path, OF_READ | OF_SHARE_DENY_NONE));
    }
    // Creates the file, or empties an existing one.
    static ClassicFile Create(const char* path) { return ClassicFile(_lcreat(path, 0)); }

    ClassicFile(ClassicFile&& other) noexcept : file_(std::exchange(other.file_, HFILE_ERROR)) {}
    ClassicFile(const ClassicFile&) = delete;
    ClassicFile& operator=(const ClassicFile&) = delete;
    ~ClassicFile() {
        if (is_open()) _lclose(file_);
    }

    bool is_open() const { return file_ != HFILE_ERROR; }
    bool ReadExactly(void* buffer, std::uint32_t bytes) {
        return _hread(file_, buffer, static_cast<long>(bytes)) == static_cast<long>(bytes);
    }
    // Reads until `bytes` are read or the file ends; the count read, or -1 on failure.
    long ReadUpTo(void* buffer, std::uint32_t bytes) {
        return _hread(file_, buffer, static_cast<long>(bytes));
    }
    // Writes every byte, in pieces the classic calls can take.
    bool WriteExactly(const void* buffer, std::size_t bytes) {
        constexpr std::size_t kPiece = std::size_t{1} << 30;
        for (auto* at = static_cast<const char*>(buffer); bytes > 0;) {
            const long piece = static_cast<long>(bytes < kPiece ? bytes : kPiece);
            if (_hwrite(file_, at, piece) != piece) return false;
            at += piece;
            bytes -= static_cast<std::size_t>(piece);
        }
        return true;
    }
    bool Seek(std::uint32_t offset) {
        return _llseek(file_, static_cast<LONG>(offset), FILE_BEGIN) == static_cast<LONG>(offset);
    }
    // Length in bytes, leaving the position at the end; negative on failure.
    LONG SeekToEnd() { return _llseek(file_, 0, FILE_END); }
    // Closes the file; false when it was not open or closing it failed.
    bool Close() {
        const HFILE file = std::exchange(file_, HFILE_ERROR);
        return file != HFILE_ERROR && _lclose(file) != HFILE_ERROR;
    }

  private:
    explicit ClassicFile(HFILE file) : file_(file) {}
    HFILE file_;
};
