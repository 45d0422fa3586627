#include "editor/editor_setting.h"

#include <vector>

#include "editor/editor_command.h"
#include "platform/kernel.h"

namespace {

constexpr char kSection[] = "Tools";
constexpr char kKey[] = "EditBitmap";

}  // namespace

std::string ReadEditorProgram(const std::string& settingsFile) {
    std::vector<char> buffer(kCommandLineLimit);
    const DWORD length = GetPrivateProfileStringA(kSection, kKey, "", buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), settingsFile.c_str());
    // A value that fills the buffer was cut, and could never be part of a command line anyway.
    if (length + 1 >= buffer.size()) return {};
    return std::string(buffer.data(), length);
}

bool StoreEditorProgram(const std::string& settingsFile, const std::string& program) {
    return WritePrivateProfileStringA(kSection, kKey, program.c_str(), settingsFile.c_str()) != 0;
}
