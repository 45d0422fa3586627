// The external editor's command line: the program of the settings, else the one that the .bmp
// association names, with the hand-over file placed in its command. Decided from what the
// settings, the registry and the environment gave.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

// CreateProcess takes at most 32767 characters, terminating zero included.
constexpr std::size_t kCommandLineLimit = 32767;

// Registry value types, numbered as the registry numbers them.
constexpr unsigned long kRegistryText = 1;        // REG_SZ
constexpr unsigned long kRegistryExpandText = 2;  // REG_EXPAND_SZ

// An environment variable's value; nothing when it is not defined.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// A key's default value as text from the `size` bytes the registry returned: it ends at its first
// zero or at `size`, whichever comes first; an expandable text has its references expanded; any
// other type gives an empty text.
std::string RegistryText(unsigned long type, const char* bytes, std::size_t size,
                         const EnvironmentLookup& environment);

// Replaces %NAME% references as the system expands them: once, left to right, a value is never
// scanned again, and a "%" that starts no defined reference stays and the scan goes on behind it.
// Stops growing once the text passes a command line's limit.
std::string ExpandReferences(const std::string& text, const EnvironmentLookup& environment);

// Puts the path in place of every "%1" and "%L" of the command and drops "%*" (no further
// arguments), or appends it when there is neither. The path always ends up in double quotes: bare
// inside a quoted part of the command, quoted elsewhere.
std::string PlacePathInCommand(const std::string& command, const std::string& path);

struct EditorSources {
    std::string editBitmap;  // the program chosen in the settings, or empty
    std::function<bool(const std::string& file)> fileExists;
    // The default text of a key under HKEY_CLASSES_ROOT; nothing when the key does not open.
    std::function<std::optional<std::string>(const std::string& key)> keyText;
};

// The command line that starts the editor on `path`: nothing when no editor is found or when the
// line would pass the system's limit.
std::optional<std::string> EditorCommandLine(const EditorSources& sources, const std::string& path);
