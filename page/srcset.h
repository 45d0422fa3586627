// The image candidates of a srcset attribute value, split as the HTML standard's srcset parser
// splits them.
#pragma once

#include <string_view>
#include <vector>

#include "page/text_span.h"

// The URL of each candidate, in order; the descriptors that follow each are passed over
// whatever they say.
std::vector<TextSpan> SrcsetUrls(std::string_view value);
