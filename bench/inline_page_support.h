// The page of 20 pictures that tests/browser/make_picture_page.py writes, and the way the peers
// inline a page's pictures: a picture file of at most the limit, its bytes as they are.
#pragma once

#include <string>
#include <vector>

#include "cli/page_plan.h"

// The page's index.html, written once into the bench folder; empty when it cannot be.
const std::string& PicturePage();

// Each picture of the plan as the peers inline it: the data URI of the file's bytes when it has
// at most `limit` of them, else empty; `bytes` gets each file's size.
std::vector<std::string> ByteCopyUris(const PagePlan& plan, std::size_t limit,
                                      std::vector<std::size_t>* bytes);

// The page's length with uris[i] in place of each reference i's picture (empty: kept).
std::size_t InlinedLength(const PagePlan& plan, const std::vector<std::string>& uris);
