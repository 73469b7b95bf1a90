// PNG encoding of an image window for the report page.
#pragma once

#include "core/image/pel_buffer.h"

#include <string>

namespace oc_tools::detail {

// The pels of the image's window as an 8-bit greyscale PNG file's bytes. An unbound image or an
// empty window has no PNG and throws std::invalid_argument; a failure of the encoder throws
// std::runtime_error with its message.
std::string encodePng(const xcPelBuffer_const<unsigned char>& image);

} // namespace oc_tools::detail
