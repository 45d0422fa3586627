// The test page: the picture in every selected encoding, each with its size and a copy button.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pipeline/variant_picture.h"

struct PageOptions {
    int method = kLimitWidth;
    int side = 430;           // already within 64 to 5000
    std::uint32_t flags = 0;  // the settings word; its hide bits leave variants out
    // 1 makes the variants one after another in the work folder; more encode them on that many
    // threads, the others in private folders of their own. The page is the same either way.
    unsigned workers = 1;
    // korvi-cli's --webp and --avif: WebP and AVIF, each lossless and at the page's qualities,
    // after the JPEG variants.
    bool webp = false;
    bool avif = false;
};

// Makes one variant's tag; called from the workers' threads when there are several.
using VariantMaker = std::function<ConversionOutcome(const VariantPicture& picture, const Encoding& encoding,
                                                     const std::string& workFolder)>;

// Takes each piece of the page as it is made; false when it could not be written.
using PageWriter = std::function<bool(const std::string& piece)>;

struct WrittenPage {
    std::vector<const char*> messages;  // the failure of each variant left out, in page order
    bool complete = true;               // false when memory ran short for the page (the last message)
    bool written = true;                // false when a piece could not be written
};

// Writes the page (Shift_JIS, lines ending in CR LF) for the source piece by piece, so that a tag
// is held only until it is written (with variants made ahead on worker threads, until its turn).
// Variants that fail are left out, a failed JPEG or WebP quality ends its series, and the GIF
// variant is always made because the converted size is taken from it. Memory too short for the
// page itself ends it with the conversion's failure message.
WrittenPage StreamTestPage(const PageSource& source, const PageOptions& options,
                           const std::string& workFolder, const PageWriter& write, const VariantMaker& make);
WrittenPage StreamTestPage(const PageSource& source, const PageOptions& options,
                           const std::string& workFolder, const PageWriter& write);
