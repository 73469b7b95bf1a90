#include "submodel/cor_run_params.h"

#include "submodel/submodel_defs.h"

#include <cmath>

void xcSubModelCorRunParams::acceptThreshold(double threshold) {
    if (!(threshold >= 0.0 && threshold <= 1.0))
        throw xc_SubModelDefs::BadParams("acceptThreshold must be between 0 and 1");
    acceptThreshold_ = threshold;
}

void xcSubModelCorRunParams::partialMatch(const xcPelRect& r) {
    constexpr long kLimit = 1L << 30;
    const bool bounded = std::labs(r.x()) <= kLimit && std::labs(r.y()) <= kLimit &&
                         r.width() >= 0 && r.width() <= kLimit && r.height() >= 0 &&
                         r.height() <= kLimit;
    if (!bounded || r.x() > 0 || r.x() + r.width() < 0 || r.y() > 0 || r.y() + r.height() < 0)
        throw xc_SubModelDefs::BadParams(
            "partialMatch must hold the origin and lie within +-2^30 pels");
    partialMatch_ = r;
}

void xcSubModelCorRunParams::xyUncertainty(const xcVector<2>& extent) {
    if (!(std::isfinite(extent.x()) && std::isfinite(extent.y()) && extent.x() >= 0.0 &&
          extent.y() >= 0.0))
        throw xc_SubModelDefs::BadParams("xyUncertainty must be two finite numbers >= 0");
    xyUncertainty_ = extent;
}
