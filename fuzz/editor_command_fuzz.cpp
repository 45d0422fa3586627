// Feeds arbitrary registry values, settings and environment to the editor's command line. The
// first byte chooses which keys open (bits 0-3), the value type (bits 4-5) and whether the
// configured program exists (bit 6); the rest are fields separated by newlines: the values of
// ".bmp\shell\open\command", ".bmp", the class's edit and open commands, the configured program,
// the hand-over path, then environment variables as NAME=VALUE.
#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "editor/editor_command.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const unsigned control = data[0];
    std::vector<std::string> fields;
    std::string field;
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == '\n') {
            fields.push_back(field);
            field.clear();
        } else {
            field += static_cast<char>(data[i]);
        }
    }
    fields.push_back(field);
    fields.resize(std::max<std::size_t>(fields.size(), 6));

    std::map<std::string, std::string> environment;
    for (std::size_t i = 6; i < fields.size(); ++i) {
        const std::size_t equals = fields[i].find('=');
        if (equals != std::string::npos)
            environment[fields[i].substr(0, equals)] = fields[i].substr(equals + 1);
    }
    const EnvironmentLookup lookup = [&](const std::string& name) -> std::optional<std::string> {
        const auto found = environment.find(name);
        if (found == environment.end()) return std::nullopt;
        return found->second;
    };
    const unsigned long type = (control >> 4) & 3;
    const std::string path = fields[5];

    EditorSources sources;
    sources.editBitmap = fields[4];
    sources.fileExists = [&](const std::string&) { return (control & 0x40) != 0; };
    sources.keyText = [&](const std::string& key) -> std::optional<std::string> {
        int index;
        if (key == ".bmp\\shell\\open\\command") {
            index = 0;
        } else if (key == ".bmp") {
            index = 1;
        } else if (key.size() > 19 && key.compare(key.size() - 19, 19, "\\shell\\edit\\command") == 0) {
            index = 2;
        } else {
            index = 3;
        }
        if ((control & (1u << index)) == 0) return std::nullopt;
        return RegistryText(type, fields[index].data(), fields[index].size(), lookup);
    };
    const std::optional<std::string> line = EditorCommandLine(sources, path);
    if (line && (line->size() >= kCommandLineLimit || line->find(path) == std::string::npos))
        __builtin_trap();
    return 0;
}
