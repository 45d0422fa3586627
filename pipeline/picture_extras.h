// What a picture file shows beyond the opaque still picture that korvi reads from it: transparent
// pixels (composed over a colour when read) and further frames (left out when read). A line made
// from the picture would lose them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pipeline/picture_formats.h"

// Whether the file states an alpha channel, a transparent colour or the frames of an animation:
// PNG (a colour type with alpha, tRNS, acTL before the image data), GIF (a transparent colour, a
// second image) and WebP (VP8X's alpha and animation flags, VP8L's alpha bit). Other files, and
// files that end before they tell, state none.
bool HasTransparencyOrAnimation(const std::uint8_t* bytes, std::size_t size);

// The format a browser shows the file in as it is: that of its first bytes, but for a JPEG behind
// a MacBinary header, which browsers do not read; null for none.
const PictureFormat* ShownFormat(const std::uint8_t* bytes, std::size_t size);
