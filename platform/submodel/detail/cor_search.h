// The exhaustive translation search of the correlation sub-model tool.
#pragma once

#include "core/image/pel_buffer.h"
#include "submodel/detail/cor_model.h"

#include <cstddef>
#include <vector>

namespace xc_submodel {

// Placements of the model's first pel relative to the image window's first pel: u0 .. u1
// across and v0 .. v1 down, ends included (u0 <= u1, v0 <= v1).
struct SearchRange {
    long u0 = 0, u1 = 0, v0 = 0, v1 = 0;
};

// A local maximum of the correlation over the searched placements.
struct Peak {
    long u = 0, v = 0;         // the placement
    double du = 0.0, dv = 0.0; // sub-pel offset of the peak from it, each in [-0.5, 0.5]
    double r = 0.0;            // the correlation coefficient at the placement (-1 .. 1)
};

// Scores every placement in the range by the correlation coefficient of model and image over
// the pels both care for inside the image window (mask values from 128 up cared for; no mask:
// every pel), taking it as 0 when either side is flat there. A placement is scored only when
// at least half of the model's cared-for pels take part. Returns the local maxima of the scores
// (each at least its eight neighbours, strictly above those before it in row order), best
// first, at most maxPeaks, each with a parabola fit through its neighbours across and down.
// Polls xcAttention::check() after at most about a millisecond of work (a band of copied rows, a
// span of one placement row) and lets its exceptions through.
std::vector<Peak> xf_SearchCor(const CorModel& model, const xcPelBuffer_const<unsigned char>& image,
                               const xcPelBuffer_const<unsigned char>* mask,
                               const SearchRange& range, std::size_t maxPeaks);

} // namespace xc_submodel
