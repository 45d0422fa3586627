// Replacing a file's contents so that a failure never leaves it half written: the new contents
// go into a file beside it, which then takes its place in one step.
#pragma once

#include <cstddef>
#include <memory>

// New contents for a file, written piece by piece. A path naming something other than a plain
// file (a device, a pipe) is written directly.
class FileReplacement {
  public:
    // Starts the file beside `path`; `is_open()` tells whether it could be made.
    explicit FileReplacement(const char* path);
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;
    // Removes the file beside unless committed.
    ~FileReplacement();

    bool is_open() const;
    bool Write(const void* data, std::size_t size);
    // True once `path` holds exactly the bytes written. On failure the old file is as it was and
    // nothing of the attempt remains.
    bool Commit();

    struct State;

  private:
    std::unique_ptr<State> state_;
};

// True once `path` holds exactly the bytes; on failure the old file is as it was.
bool ReplaceFileContents(const char* path, const void* data, std::size_t size);

// Removes every file beside that is not yet committed, for a process that is being interrupted;
// replacements started or committed afterwards fail.
void RemoveUnfinishedReplacements();
