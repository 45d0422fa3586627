#include "tests/support/files.h"

#include <dirent.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <direct.h>
#endif

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The stream calls, unlike std::filesystem, take paths in the ANSI code page on Windows.
bool FileExists(const std::string& path) {
    return std::ifstream(path, std::ios::binary).is_open();
}

void MakeFolder(const std::string& path) {
#ifdef _WIN32
    _mkdir(path.c_str());
#else
    mkdir(path.c_str(), 0700);
#endif
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* entries = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(entries)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(entries);
    }
    std::sort(names.begin(), names.end());
    return names;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

std::int32_t ReadLe32(const Bytes& bytes, std::size_t at) {
    return static_cast<std::int32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                     std::uint32_t{bytes[at + 3]} << 24);
}

namespace {

WorkFolder CreatedFolder() {
    std::optional<WorkFolder> folder = WorkFolder::Create();
    if (!folder) throw std::runtime_error("no temporary folder");
    return std::move(*folder);
}

}  // namespace

TempFolder::TempFolder() : folder_(CreatedFolder()) {}
