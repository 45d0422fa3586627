// -f auto in korvi-cli: the threads of its measuring and the words of its choice.
#pragma once

#include <string>

#include "cli/options.h"
#include "cli/picture_job.h"
#include "pipeline/variant_picture.h"

// The line of the picture in the encoding that pipeline/candidate_measuring.h measures and
// ChooseTrial chooses, with a message that says which and its score; `name` names the picture
// in messages. Short memory in any trial fails the picture, saying so.
PictureResult AutoFormatLine(const CliOptions& options, const VariantPicture& variant,
                             const std::string& name, const std::string& workFolder, const UriFrame& frame);
