#include "page/html_tree.h"

#include <cstddef>
#include <cstdlib>
#include <new>

// Each block gumbo asks for, behind a header that links it to the others.
struct alignas(std::max_align_t) HtmlTree::Block {
    Block* previous;
    Block* next;
};

void* HtmlTree::Allocate(void* tree, std::size_t size) {
    HtmlTree& self = *static_cast<HtmlTree*>(tree);
    Block* block = static_cast<Block*>(std::malloc(sizeof(Block) + size));
    // gumbo would use a null block; the exception leaves through its frames, which have unwind
    // tables, and the blocks it held are freed with the tree.
    if (block == nullptr) throw std::bad_alloc();
    block->previous = nullptr;
    block->next = self.blocks_;
    if (self.blocks_ != nullptr) self.blocks_->previous = block;
    self.blocks_ = block;
    return block + 1;
}

void HtmlTree::Release(void* tree, void* memory) {
    if (memory == nullptr) return;
    HtmlTree& self = *static_cast<HtmlTree*>(tree);
    Block* block = static_cast<Block*>(memory) - 1;
    if (block->previous != nullptr) block->previous->next = block->next;
    if (block->next != nullptr) block->next->previous = block->previous;
    if (self.blocks_ == block) self.blocks_ = block->next;
    std::free(block);
}

void HtmlTree::ReleaseAll() {
    while (blocks_ != nullptr) {
        Block* next = blocks_->next;
        std::free(blocks_);
        blocks_ = next;
    }
}

HtmlTree::HtmlTree(std::string_view page) {
    GumboOptions options = kGumboDefaultOptions;
    options.allocator = &Allocate;
    options.deallocator = &Release;
    options.userdata = this;
    // Each error keeps a copy of the open elements, which for deep nesting grows with the square
    // of the page; the errors are not needed.
    options.max_errors = 0;
    try {
        output_ = gumbo_parse_with_options(&options, page.data(), page.size());
    } catch (...) {
        ReleaseAll();
        throw;
    }
}

HtmlTree::~HtmlTree() {
    ReleaseAll();
}
