// Reuse of a searched image's derived planes across the runs of many models on it.
#pragma once

#include "corrsearch/detail/planes.h"

#include <memory>

namespace xc_corrsearch {

// The planes of width x height pels. The calling thread keeps the last small image it saw (up
// to 65536 pels) with its planes; when the same pels come again, compared one by one, their
// planes are reused, so running many models on one image prepares it once. Any differing pel,
// size or row gives new planes: nothing stale is ever served, and no thread sees another's.
std::shared_ptr<const ImagePlanes> imagePlanes(const unsigned char* pels, long rowUpdate,
                                               long width, long height);

} // namespace xc_corrsearch
