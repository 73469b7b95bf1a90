// The edge-direction test that decides whether a character image can be trained.
#pragma once

#include "core/image/pel_buffer.h"
#include "foundation/export.h"

#include <optional>

// Detects the image's peak edges (filter 1.0, magnitude 10.0) and folds their directions modulo
// 180 degrees into 128 bins. Degenerate (nullopt) with fewer than 25 edgelets, or when more than
// half of them fall into one window of 15 consecutive bins (about 21 degrees, wrapping round):
// such a pattern cannot fix its own angle. Otherwise the edge score N - M, where N is the number
// of edgelets and M the fullest window's count.
OC_API std::optional<double> xf_OCExtractEdgeScore(const xcPelBuffer_const<unsigned char>& image);
