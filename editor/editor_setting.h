// The editor the user chose: key "EditBitmap" of section "Tools" in the settings file.
#pragma once

#include <string>

// The stored program path; empty when none is stored or it is too long to start.
std::string ReadEditorProgram(const std::string& settingsFile);
// Stores the path, an empty one too; false when the settings file could not be written.
bool StoreEditorProgram(const std::string& settingsFile, const std::string& program);
