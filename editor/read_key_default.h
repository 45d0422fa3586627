// Texts of the registry for the editor's command line.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// The default value of an open key as text: REG_SZ as it is, REG_EXPAND_SZ with its environment
// references expanded; empty for a null key, a failed read, any other type or a value longer than
// a command line.
std::string ReadKeyDefault(HKEY key);

// An environment variable's whole value; nothing when it is not defined or empty.
std::optional<std::string> EnvironmentValue(const std::string& name);
