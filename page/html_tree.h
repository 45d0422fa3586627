// A page parsed by gumbo, whose nodes are all freed at once: gumbo frees a tree by recursion,
// which a page of deeply nested elements would take past the end of the stack.
#pragma once

#include <gumbo.h>

#include <string_view>

class HtmlTree {
  public:
    // Parses the page, which must outlive the tree: the nodes point into it. Short memory
    // throws std::bad_alloc, with everything parsed so far freed.
    explicit HtmlTree(std::string_view page);
    HtmlTree(const HtmlTree&) = delete;
    HtmlTree& operator=(const HtmlTree&) = delete;
    ~HtmlTree();

    const GumboNode* document() const { return output_->document; }

  private:
    struct Block;
    static void* Allocate(void* tree, std::size_t size);
    static void Release(void* tree, void* memory);
    void ReleaseAll();

    Block* blocks_ = nullptr;  // every block gumbo holds, newest first
    GumboOutput* output_ = nullptr;
};
