// The line printed for a converted picture, in the form the command line asks for.
#pragma once

#include <optional>
#include <string>

#include "cli/options.h"
#include "core/data_uri.h"

struct TagStyle {
    TagForm form = TagForm::kImg;
    bool withSize = false;  // img only: width and height attributes
    std::optional<std::string> alt;
};

// The text around the data URI in the line of a picture of the given size; the conversion's
// <img> element when the style adds nothing.
UriFrame LineFrame(const TagStyle& style, int width, int height);

// Text for a double-quoted HTML attribute, on one line.
std::string HtmlAttributeText(const std::string& text);

// Text for the brackets of a Markdown image, on one line.
std::string MarkdownAltText(const std::string& text);
