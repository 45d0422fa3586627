// Where korvi-cli's output goes: standard output as it comes, or a file that is replaced only
// once all of it is written.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/replace_file.h"

// Writes to standard output and flushes; false when it cannot.
bool WriteToStandardOutput(const char* text, std::size_t size);

class LineOutput {
  public:
    // Standard output for an empty path or "-".
    explicit LineOutput(const std::string& path);

    bool ToFile() const { return file_ != nullptr; }
    bool is_open() const { return !file_ || file_->is_open(); }
    bool Write(const char* text, std::size_t size) {
        return file_ ? file_->Write(text, size) : WriteToStandardOutput(text, size);
    }
    // Replaces the file with what was written; true for standard output.
    bool Commit() { return !file_ || file_->Commit(); }

  private:
    std::unique_ptr<FileReplacement> file_;
};
