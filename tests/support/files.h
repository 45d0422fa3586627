// Files and folders for tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/work_folder.h"

using Bytes = std::vector<std::uint8_t>;

Bytes ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);
bool FileExists(const std::string& path);

void MakeFolder(const std::string& path);

// The names in a folder, sorted, without "." and "..".
std::vector<std::string> FolderEntries(const std::string& folder);

// The parts one after another.
Bytes Join(std::initializer_list<Bytes> parts);

// The little-endian 32-bit value at `at`, as BMP headers store their numbers.
std::int32_t ReadLe32(const Bytes& bytes, std::size_t at);

// A fresh work folder that must exist for the test to go on.
class TempFolder {
  public:
    TempFolder();

    // The folder with its trailing separator.
    const std::string& path() const { return folder_.path(); }
    std::string File(const std::string& name) const { return path() + name; }

  private:
    WorkFolder folder_;
};
