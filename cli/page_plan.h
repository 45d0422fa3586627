// A page or style sheet read for --inline: its references, where each leads, and the distinct
// pictures to convert.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/page_picture.h"
#include "page/page_address.h"
#include "page/page_references.h"

constexpr std::size_t kNoPicture = std::size_t(-1);

// A picture of the page, converted once however often the page names it.
struct PictureJob {
    std::string path;
    bool resize = false;  // made smaller by -m and -s, where the element keeps its layout
    std::string url;      // the address it was first found by
};

struct PagePlan {
    std::string text;  // the page's bytes
    PageReferences found;
    std::vector<Address> addresses;      // of each reference
    std::vector<PictureJob> pictures;    // the distinct local pictures
    std::vector<std::size_t> pictureOf;  // each reference's index of `pictures`, or kNoPicture
};

// The page at `path` read (as a style sheet for a ".css" name), its addresses resolved against
// its folder, --root and its <base>; nothing, and `why`, when it cannot be read.
std::optional<PagePlan> PlanPage(const std::string& path, const CliOptions& options, std::string& why);

// Every picture of the plan converted on up to `workers` threads, in the plan's order.
std::vector<PagePicture> ConvertPagePictures(const PagePlan& plan, const CliOptions& options,
                                             unsigned workers);
