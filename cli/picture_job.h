// One picture of the command line, from its path, address or "-" to its printed line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/options.h"
#include "core/global_block.h"

// A loaded 24-bit picture, or why there is none.
struct LoadedPicture {
    GlobalBlock picture;
    int width = 0, height = 0;
    std::string failure;  // the message when there is no picture
};

// Loads a picture file, a picture at a web address or standard input ("-"), each by its first
// bytes, using `workFolder` for downloads and streams; `background` goes under transparent pixels.
LoadedPicture LoadCliPicture(const std::string& picture, const std::string& workFolder,
                             std::uint32_t background);

struct PictureResult {
    bool succeeded = false;
    std::string line;                   // the text to print, on success
    std::vector<std::string> messages;  // for standard error, without the program's name
};

// The line of one picture as the options ask for it, exactly what it gives when converted alone.
PictureResult ConvertCliPicture(const CliOptions& options, const std::string& picture,
                                const std::string& workFolder);
