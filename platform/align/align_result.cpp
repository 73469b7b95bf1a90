#include "align/align_result.h"

#include "align/align_defs.h"

#include <algorithm>

xcAlignResult::xcAlignResult(double score, const xcXform<2>& pose, bool accepted, double coverage,
                             double clutter, double angleDeg, double scale, double contrast)
    : score_(score), pose_(pose), accepted_(accepted), coverage_(coverage), clutter_(clutter),
      angleDeg_(angleDeg), scale_(scale), contrast_(contrast) {
}

const xcAlignResult& xcAlignResultSet::operator[](std::size_t i) const {
    if (i >= results_.size()) throw xc_AlignDefs::BadParams("result index out of range");
    return results_[i];
}

std::size_t xcAlignResultSet::numAccepted() const {
    return static_cast<std::size_t>(std::count_if(
        results_.begin(), results_.end(), [](const xcAlignResult& r) { return r.accepted(); }));
}
