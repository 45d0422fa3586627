#include "editor/editor_command.h"

#include <cstring>

namespace {

// A value that refers to itself would otherwise expand forever.
constexpr int kMaxExpansions = 64;

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::optional<std::string> CommandOfAssociation(const EditorSources& sources) {
    if (std::optional<std::string> command = sources.keyText(".bmp\\shell\\open\\command")) return command;
    const std::optional<std::string> className = sources.keyText(".bmp");
    if (!className || className->empty()) return std::nullopt;
    if (std::optional<std::string> command = sources.keyText(*className + "\\shell\\edit\\command")) {
        return command;
    }
    return sources.keyText(*className + "\\shell\\open\\command");
}

}  // namespace

std::string RegistryText(unsigned long type, const char* bytes, std::size_t size,
                         const EnvironmentLookup& environment) {
    if ((type != kRegistryText && type != kRegistryExpandText) || size == 0) return {};
    const void* zero = std::memchr(bytes, '\0', size);
    std::string text(bytes, zero != nullptr ? static_cast<const char*>(zero) : bytes + size);
    return type == kRegistryExpandText ? ExpandReferences(std::move(text), environment) : text;
}

std::string ExpandReferences(std::string text, const EnvironmentLookup& environment) {
    // "%" is never the second byte of a Shift_JIS character, so a byte search is safe in the ANSI
    // code page.
    for (int step = 0; step < kMaxExpansions && text.size() < kCommandLineLimit; ++step) {
        const std::size_t open = text.find('%');
        if (open == std::string::npos || open + 1 >= text.size() || !IsAsciiLetter(text[open + 1])) break;
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string::npos) break;
        const std::optional<std::string> value = environment(text.substr(open + 1, close - open - 1));
        if (!value) break;
        text.replace(open, close - open + 1, *value);
    }
    return text;
}

std::string PlacePathInCommand(std::string command, const std::string& path) {
    std::size_t mark = command.rfind('%');
    if (mark == std::string::npos || mark + 1 >= command.size() || command[mark + 1] != '1') {
        command += " \"%1\"";
        mark = command.rfind('%');
    }
    const bool quoted = mark > 0 && command[mark - 1] == '"';
    const std::string rest = command.substr(mark + 2);
    command.resize(mark);
    command += quoted ? path : '"' + path + '"';
    return command + rest;
}

std::optional<std::string> EditorCommandLine(const EditorSources& sources, const std::string& path) {
    std::string line;
    if (!sources.editBitmap.empty() && sources.fileExists(sources.editBitmap)) {
        line = '"' + sources.editBitmap + "\" \"" + path + '"';
    } else {
        const std::optional<std::string> command = CommandOfAssociation(sources);
        // An empty command names no program.
        if (!command || command->empty()) return std::nullopt;
        line = PlacePathInCommand(*command, path);
    }
    if (line.size() >= kCommandLineLimit) return std::nullopt;
    return line;
}
