// The shared corpus of real-world pictures: a folder "shared/corpus" beside the source tree or one
// of its parents, with a MANIFEST.tsv of one row per file. Tests skip, saying so, without it.
#pragma once

#include <string>
#include <vector>

struct CorpusFile {
    std::string path;         // the full path
    std::string name;         // the file name
    std::string description;  // what it exercises; "expected refusal" where a reader must refuse it
};

// The manifest's files below `kind` ("gif", "png", ...), in its order.
std::vector<CorpusFile> CorpusFiles(const std::string& kind);
