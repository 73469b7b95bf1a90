// The trained form of a sub-model: its pels and care flags laid out for the correlation search.
#pragma once

#include "core/geom/rect.h"
#include "core/geom/xform.h"

#include <cstdint>
#include <vector>

class xcSubModel;

namespace xc_submodel {

// The model's window as w x h arrays, row by row: pels m (0 where ignored), care flags c (1
// cared for, 0 ignored) and squares m2 = m * m. The prefix sums hold, at (i, j) of a
// (w + 1) x (h + 1) table, the sums over the pels left of column i and above row j, so the sums
// over any sub-rectangle of the model cost four look-ups.
struct CorModel {
    xcPelRect window; // the model image's window, in its image coordinates
    long w = 0, h = 0;
    std::vector<std::uint8_t> m, c;
    std::vector<std::uint16_t> m2;
    std::vector<long long> pc, pm, pm2;
    long long nCare = 0;

    // Sums of care flags, pels and squared pels over model columns [i0, i1) and rows [j0, j1).
    void rectSums(long i0, long j0, long i1, long j1, long long& n, long long& sx,
                  long long& sx2) const;
};

// Reads the sub-model's window (and mask: from 128 up cared for). A model with no cared-for pel
// throws xc_SubModelDefs::NoCarePels.
CorModel xf_BuildCorModel(const xcSubModel& subModel);

// The model laid onto another pel grid by `toGrid` (model image coordinates to the grid's). Its
// window becomes the grid pels whose centres lie in the bounding box of the mapped model window;
// each is sampled bilinearly at its centre mapped back (within half a pel of the model window's
// edge the edge pels are read) and cared for only when that centre falls in the model window and
// every pel it reads is cared for. A singular or non-finite map, or a result of no pel, of more
// than 2^24 pels or with no cared-for pel, throws xc_SubModelDefs::BadPose.
CorModel xf_ResampleCorModel(const CorModel& model, const xcXform<2>& toGrid);

} // namespace xc_submodel
