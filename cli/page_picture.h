// The one place where --inline turns a picture file of a page into its data URI: loaded as
// korvi-cli loads a file, measured and chosen as -f auto chooses for a single picture (or
// converted as -f and -q ask).
#pragma once

#include <cstddef>
#include <string>

#include "cli/options.h"

struct PagePicture {
    std::string failure;           // why it does not read or convert; empty when it did
    int width = 0, height = 0;     // its own size
    bool resized = false;          // the data URI holds it made smaller by -m and -s
    std::string uri;               // its data URI, when the picture in it fits --inline-limit
    std::size_t pictureBytes = 0;  // the bytes of the picture chosen, before base64
    std::string formatName;        // of the picture chosen: "webp", "png", ...
    bool asItIs = false;           // the picture chosen is the file's own bytes
    bool atLeast = false;          // pictureBytes is only as few as any faithful line could have
    std::string placeholder;       // with --placeholder, the preview of a picture that stays a link
};

// The picture at `path` (a plain file; anything else is not read) converted as the options ask,
// resized by -m and -s only where `resize`, its data URI kept when the picture in it has at most
// --inline-limit bytes. A file with transparent parts or the frames of an animation, which a
// conversion would lose, goes in only as it is; with -f auto so does any file that keeps its size
// and is shorter than the shortest faithful line, as the peers' byte copying would put it in.
PagePicture PictureForPage(const CliOptions& options, const std::string& path, bool resize,
                           const std::string& workFolder);
