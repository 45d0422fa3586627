#include "editor/editor_command.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "editor/editor_setting.h"
#include "tests/support/files.h"

namespace {

const std::map<std::string, std::string> kEnvironment = {
    {"SystemRoot", "C:\\windows"}, {"A", "%B%"}, {"B", "b"}, {"GROW", std::string(10000, 'g') + "%GROW%"}};

std::optional<std::string> Lookup(const std::string& name) {
    const auto found = kEnvironment.find(name);
    return found == kEnvironment.end() ? std::nullopt : std::optional<std::string>(found->second);
}

constexpr unsigned long kMultiText = 7;

}  // namespace

TEST(RegistryText, EndsAtTheReturnedSizeAndExpandsOnlyExpandableTexts) {
    const struct {
        unsigned long type;
        std::string bytes;  // exactly the returned size: nothing behind it may be read
        std::string text;
    } cases[] = {
        {kRegistryText, "no terminator", "no terminator"},
        {kRegistryText, std::string("cut\0rest", 8), "cut"},
        {kRegistryText, "%SystemRoot%\\x.exe", "%SystemRoot%\\x.exe"},
        {kMultiText, std::string("a\0b\0\0", 5), ""},
        {kRegistryExpandText, std::string("%SystemRoot%\\mspaint.exe \"%1\"\0", 30),
         "C:\\windows\\mspaint.exe \"%1\""},
        // Once, left to right: an undefined name or a lone "%" stays, and the scan goes on behind it.
        {kRegistryExpandText, "%1 %SystemRoot%", "%1 C:\\windows"},
        {kRegistryExpandText, "%SystemRoot", "%SystemRoot"},
        {kRegistryExpandText, "%A%-%B%", "%B%-b"},
    };
    for (const auto& c : cases) {
        const std::vector<char> returned(c.bytes.begin(), c.bytes.end());
        EXPECT_EQ(RegistryText(c.type, returned.data(), returned.size(), Lookup), c.text) << c.bytes;
    }
    // Many references to a long value stop growing past a command line instead of exhausting memory.
    std::string many;
    for (int i = 0; i < 5000; ++i) many += "%GROW%";
    EXPECT_LT(ExpandReferences(many, Lookup).size(), 2 * kCommandLineLimit);
}

// Association commands as programs register them, as the registry returns them expanded.
TEST(PlacePathInCommand, PutsThePathInQuotesWhereverTheAssociationWantsIt) {
    const std::string path = "C:\\k\\$korvi$.bmp";
    const std::pair<std::string, std::string> cases[] = {
        {"\"C:\\Windows\\system32\\mspaint.exe\" \"%1\"",
         "\"C:\\Windows\\system32\\mspaint.exe\" \"C:\\k\\$korvi$.bmp\""},
        {"\"paint.exe\" \"%L\" %*", "\"paint.exe\" \"C:\\k\\$korvi$.bmp\" "},
        {"x.exe /view %l", "x.exe /view \"C:\\k\\$korvi$.bmp\""},
        {"x.exe", "x.exe \"C:\\k\\$korvi$.bmp\""},
        {"paint.exe \"%1\" %2 %", "paint.exe \"C:\\k\\$korvi$.bmp\" %2 %"},
    };
    for (const auto& [command, line] : cases) EXPECT_EQ(PlacePathInCommand(command, path), line) << command;
    // The path is placed, never scanned.
    EXPECT_EQ(PlacePathInCommand("e %1", "C:\\%1\\x.bmp"), "e \"C:\\%1\\x.bmp\"");
}

TEST(EditorCommandLine, TakesTheSettingThenTheBmpAssociation) {
    const std::string path = "C:\\k\\$korvi$.bmp", quoted = " \"" + path + '"';
    const std::string open = ".bmp\\shell\\open\\command", longest(kCommandLineLimit - 20, 'c');
    const std::string edit = "P\\shell\\edit\\command", classOpen = "P\\shell\\open\\command";
    const struct {
        const char* what;
        std::string editBitmap;
        std::map<std::string, std::string> registry;
        std::optional<std::string> line;
    } cases[] = {
        {"setting", "C:\\ed.exe", {{open, "open.exe \"%1\""}}, "\"C:\\ed.exe\"" + quoted},
        {"missing setting", "C:\\gone.exe", {{open, "open.exe \"%1\""}}, "open.exe" + quoted},
        {"open command first", "", {{open, "open.exe"}, {".bmp", "P"}, {edit, "e"}}, "open.exe" + quoted},
        {"class edit", "", {{".bmp", "P"}, {edit, "edit.exe %1"}, {classOpen, "v"}}, "edit.exe" + quoted},
        {"class open only", "", {{".bmp", "P"}, {classOpen, "view.exe"}}, "view.exe" + quoted},
        {"no .bmp", "", {}, std::nullopt},
        {"empty class", "", {{".bmp", ""}, {"\\shell\\open\\command", "x.exe"}}, std::nullopt},
        {"empty command", "", {{open, ""}}, std::nullopt},
        {"longest line", "", {{open, longest}}, longest + quoted},
        {"line past the limit", "", {{open, longest + 'c'}}, std::nullopt},
    };
    for (const auto& c : cases) {
        EditorSources sources;
        sources.editBitmap = c.editBitmap;
        sources.fileExists = [](const std::string& file) { return file == "C:\\ed.exe"; };
        sources.keyText = [&](const std::string& key) {
            const auto found = c.registry.find(key);
            return found == c.registry.end() ? std::nullopt : std::optional<std::string>(found->second);
        };
        EXPECT_EQ(EditorCommandLine(sources, path), c.line) << c.what;
    }
}

TEST(EditorProgram, IsStoredWholeAndEmptyToo) {
    TempFolder folder;
    const std::string ini = folder.File("korvi.ini");
    EXPECT_EQ(ReadEditorProgram(ini), "");
    const std::string deep = "C:\\" + std::string(1000, 'd') + "\\paint.exe";
    for (const std::string& program : {deep, std::string()}) {
        ASSERT_TRUE(StoreEditorProgram(ini, program));
        EXPECT_EQ(ReadEditorProgram(ini), program);
    }
    // Edited by hand beyond what a command line holds.
    const std::string tooLong = "[Tools]\r\nEditBitmap=" + std::string(kCommandLineLimit, 'x') + "\r\n";
    WriteBytes(ini, Bytes(tooLong.begin(), tooLong.end()));
    EXPECT_EQ(ReadEditorProgram(ini), "");
    EXPECT_FALSE(StoreEditorProgram(folder.File("missing/korvi.ini"), "x"));
}
