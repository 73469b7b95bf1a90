// Reading binary 8-bit PGM (P5) files into pel buffers, for tests and benchmarks that use
// stored images.
#pragma once

#include "core/image/pel_buffer.h"

#include <string>

namespace oc_test {

// The image of a binary PGM file with a maximum value of at most 255: window (0, 0, width,
// height), identity transforms. Throws std::runtime_error naming the file when it cannot be
// read, is not a P5 file, or holds fewer pels than its header promises.
xcPelBuffer<unsigned char> readPgm(const std::string& path);

} // namespace oc_test
