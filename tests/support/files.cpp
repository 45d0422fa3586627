#include "tests/support/files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>

namespace fs = std::filesystem;

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) {
    return fs::exists(fs::path(path));
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
