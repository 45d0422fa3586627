#include "tests/unit/page/page_test_support.h"

#include <gtest/gtest.h>

#include "page/html_references.h"
#include "tests/support/files.h"

std::string PageText(const std::string& name) {
    const Bytes bytes = ReadBytes(KORVI_PAGES + name);
    return std::string(bytes.begin(), bytes.end());
}

PageReferences ReadPage(const std::string& name, const std::string& text) {
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".css") == 0) return ReadCssReferences(text);
    return ReadHtmlReferences(text);
}

std::vector<std::string> Described(const PageReferences& references, const std::string& text) {
    static const char* const kKinds[] = {"img", "srcset", "icon", "input", "css"};
    std::vector<std::string> lines;
    for (const PageReference& reference : references.references) {
        std::string line = kKinds[int(reference.kind)] + (" " + reference.url);
        const std::string raw = text.substr(reference.span.start, reference.span.end - reference.span.start);
        if (raw != reference.url) line += " <- " + raw;
        lines.push_back(line);
    }
    return lines;
}
