#include "submodel/submodel_result.h"

#include "submodel/submodel_defs.h"

#include <algorithm>
#include <utility>

xcSubModelResult::xcSubModelResult() : pose_(xfMakeXform(xcXform<2>())) {
}

xcSubModelResult::xcSubModelResult(double score, const xcXformHandle& pose)
    : score_(score), pose_(pose) {
    if (!pose_) throw xc_SubModelDefs::BadParams("a result needs a pose");
}

void xc_SubModelResultSet::assign(std::vector<xcSubModelResult> results, long numFound) {
    const long n = static_cast<long>(results.size());
    results_ = std::move(results);
    numFound_ = std::clamp(numFound, 0L, n);
}
