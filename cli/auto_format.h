// -f auto: the shortest line of any format whose picture still looks like the picture.
#pragma once

#include <string>

#include "cli/options.h"
#include "cli/picture_job.h"
#include "pipeline/variant_picture.h"

// The line of the picture in the format and quality -f auto chooses, with a message that says
// which; `name` names the picture in messages. Lossless PNG, GIF (only for a picture whose
// colours fit a palette, which GIF then keeps) and lossless WebP compete with JPEG and lossy
// WebP at the lowest quality whose SSIM reaches --min-ssim; with --max-bytes, lines that do not
// fit drop out, and when no faithful line fits, the most faithful that fits is chosen.
PictureResult AutoFormatLine(const CliOptions& options, const VariantPicture& variant,
                             const std::string& name, const std::string& workFolder, const UriFrame& frame);
