// Which reader takes a file, judged by its first bytes instead of its name.
#pragma once

#include <cstddef>
#include <cstdint>

// The bytes ReaderForFirstBytes needs at most: a JPEG behind a 128-byte MacBinary header.
constexpr std::size_t kSignatureBytes = 131;

// The letter of the reader whose files begin with these bytes: 'b' BMP, 'g' GIF, 'j' JPEG (also
// behind a MacBinary header of type "JPEG"), 'p' PNG; 0 for none of them.
char ReaderForFirstBytes(const std::uint8_t* bytes, std::size_t count);
