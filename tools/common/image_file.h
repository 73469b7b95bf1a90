// Grey images from PGM files (binary P5 and plain P2) and PNG files.
#pragma once

#include "core/image/pel_buffer.h"

#include <string>

namespace oc_tools {

// The image of a PGM or PNG file, told apart by their first bytes: window (0, 0, width,
// height), identity transforms. PGM values are scaled from 0..maxval to 0..255 (a maxval above
// 255 is refused); a PNG of any colour type is decoded to 8 bits and colour is turned to grey as
// (299 R + 587 G + 114 B) / 1000. Anything unreadable, malformed or truncated throws
// std::runtime_error "<path>: <reason>".
xcPelBuffer<unsigned char> readImage(const std::string& path);

// The same from the bytes of a file; `name` stands for the path in messages.
xcPelBuffer<unsigned char> decodeImage(const std::string& bytes, const std::string& name);

} // namespace oc_tools
