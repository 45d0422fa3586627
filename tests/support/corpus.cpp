#include "tests/support/corpus.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

// The corpus folder beside the source tree or one of its parents; empty when it is not there.
static std::string CorpusFolder() {
    for (fs::path dir = KORVI_SOURCE_DIR; dir.has_relative_path(); dir = dir.parent_path())
        if (fs::exists(dir / "shared" / "corpus" / "MANIFEST.tsv"))
            return (dir / "shared" / "corpus").string();
    return {};
}

std::vector<CorpusFile> CorpusFiles(const std::string& kind) {
    const std::string folder = CorpusFolder();
    std::vector<CorpusFile> files;
    if (folder.empty()) return files;
    std::ifstream manifest(fs::path(folder) / "MANIFEST.tsv");
    for (std::string line; std::getline(manifest, line);) {
        std::istringstream fields(line);
        std::string path, description;
        std::getline(fields, path, '\t');
        for (int i = 0; i < 5; ++i) std::getline(fields, description, '\t');  // the sixth column
        if (path.rfind(kind + "/", 0) != 0) continue;
        files.push_back(
            CorpusFile{(fs::path(folder) / path).string(), path.substr(kind.size() + 1), description});
    }
    return files;
}
