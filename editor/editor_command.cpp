#include "editor/editor_command.h"

#include <cstring>

namespace {

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
    return type == kRegistryExpandText ? ExpandReferences(text, environment) : text;
}

// "%" and '"' are never the second byte of a Shift_JIS character, so byte searches are safe in
// the ANSI code page.
std::string ExpandReferences(const std::string& text, const EnvironmentLookup& environment) {
    std::string expanded;
    std::size_t at = 0;
    while (at < text.size() && expanded.size() < kCommandLineLimit) {
        const std::size_t open = text.find('%', at);
        if (open == std::string::npos) {
            expanded.append(text, at, std::string::npos);
            break;
        }
        expanded.append(text, at, open - at);
        const std::size_t close = text.find('%', open + 1);
        const std::optional<std::string> value =
            close == std::string::npos ? std::nullopt : environment(text.substr(open + 1, close - open - 1));
        if (value) {
            expanded += *value;
            at = close + 1;
        } else {
            expanded += '%';
            at = open + 1;
        }
    }
    return expanded;
}

std::string PlacePathInCommand(const std::string& command, const std::string& path) {
    std::string line;
    bool inQuotes = false, placed = false;
    for (std::size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        const char next = i + 1 < command.size() ? command[i + 1] : '\0';
        if (c == '%' && (next == '1' || next == 'L' || next == 'l')) {
            line += inQuotes ? path : '"' + path + '"';
            placed = true;
            ++i;
        } else if (c == '%' && next == '*') {
            ++i;
        } else {
            if (c == '"') inQuotes = !inQuotes;
            line += c;
        }
    }
    return placed ? line : line + " \"" + path + '"';
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
