// The declared fields of the sub-model tool's train and run parameters.
#pragma once

#include "core/base/param_table.h"
#include "submodel/cor_run_params.h"
#include "submodel/cor_train_params.h"
#include "submodel/submodel_defs.h"

#include <cmath>
#include <cstdlib>
#include <limits>

struct xc_SubModelCorTrainParamsTable {
    using Owner = xcSubModelCorTrainParams;
    using Error = xc_SubModelDefs::BadParams;

    // clang-format off
    static inline const xc_ParamField<Owner, double> coarseGrainLimit{
        "coarseGrainLimit", &Owner::coarseGrainLimit_, &Owner::coarseGrainLimit, 1.0,
        1.0, std::numeric_limits<double>::max(), "coarseGrainLimit must be a finite number >= 1"};
    // Every mask is kept; the tool searches translation only.
    static inline const xc_ParamField<Owner, long> zoneAllowed{
        "zoneAllowed", &Owner::zoneAllowed_, &Owner::zoneAllowed, 0,
        std::numeric_limits<long>::min(), std::numeric_limits<long>::max(), ""};
    // clang-format on

    static auto fields() { return std::tie(coarseGrainLimit, zoneAllowed); }
};

struct xc_SubModelCorRunParamsTable {
    using Owner = xcSubModelCorRunParams;
    using Error = xc_SubModelDefs::BadParams;

    // The rectangle holds the origin and every number lies within +-2^30.
    static bool goodPartialMatch(const xcPelRect& r) {
        constexpr long kLimit = 1L << 30;
        const bool bounded = std::labs(r.x()) <= kLimit && std::labs(r.y()) <= kLimit &&
                             r.width() >= 0 && r.width() <= kLimit && r.height() >= 0 &&
                             r.height() <= kLimit;
        return bounded && r.x() <= 0 && r.x() + r.width() >= 0 && r.y() <= 0 &&
               r.y() + r.height() >= 0;
    }
    static bool goodExtent(const xcVector<2>& v) {
        return std::isfinite(v.x()) && std::isfinite(v.y()) && v.x() >= 0.0 && v.y() >= 0.0;
    }

    // clang-format off
    static inline const xc_ParamField<Owner, double> acceptThreshold{
        "acceptThreshold", &Owner::acceptThreshold_, &Owner::acceptThreshold, 0.5,
        0.0, 1.0, "acceptThreshold must be between 0 and 1"};
    // Every mask is kept; the tool searches translation only.
    static inline const xc_ParamField<Owner, long> zoneEnable{
        "zoneEnable", &Owner::zoneEnable_, &Owner::zoneEnable, 0,
        std::numeric_limits<long>::min(), std::numeric_limits<long>::max(), ""};
    static inline const xc_ParamField<Owner, xcPelRect> partialMatch{
        "partialMatch", &Owner::partialMatch_, &Owner::partialMatch, xcPelRect(),
        {}, {}, "partialMatch must hold the origin and lie within +-2^30 pels",
        &goodPartialMatch, xcPelRect(1, 0, 2, 2)};
    static inline const xc_ParamField<Owner, xcVector<2>> xyUncertainty{
        "xyUncertainty", &Owner::xyUncertainty_, &Owner::xyUncertainty, xcVector<2>(),
        {}, {}, "xyUncertainty must be two finite numbers >= 0",
        &goodExtent, xcVector<2>(std::numeric_limits<double>::infinity(), 0.0)};
    // clang-format on

    static auto fields() {
        return std::tie(acceptThreshold, zoneEnable, partialMatch, xyUncertainty);
    }
};
