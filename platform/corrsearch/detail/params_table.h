// The declared fields of the correlation search's train and run parameters.
#pragma once

#include "core/base/param_table.h"
#include "corrsearch/corrsearch_defs.h"
#include "corrsearch/corrsearch_params.h"

#include <limits>

namespace xc_corrsearch_detail {

constexpr long kAllAlgorithms =
    xcCorrSearchDefs::eNormalizedCorrelation | xcCorrSearchDefs::eExhaustiveCorrelation;

// A non-empty combination of the method codes.
inline bool isAlgorithmMask(const long& v) {
    return (v & ~kAllAlgorithms) == 0;
}
// Exactly one method code.
inline bool isAlgorithm(const long& v) {
    return v == xcCorrSearchDefs::eNormalizedCorrelation ||
           v == xcCorrSearchDefs::eExhaustiveCorrelation;
}

} // namespace xc_corrsearch_detail

struct xc_CorrSearchTrainParamsTable {
    using Owner = xcCorrSearchTrainParams;
    using Error = xcCorrSearchDefs::BadParams;

    static inline const xc_ParamField<Owner, long> accuracy{"accuracy",
                                                            &Owner::accuracy_,
                                                            &Owner::accuracy,
                                                            4,
                                                            1,
                                                            4,
                                                            "accuracy must be between 1 and 4"};
    static inline const xc_ParamField<Owner, long> algorithms{
        "algorithms",
        &Owner::algorithms_,
        &Owner::algorithms,
        xcCorrSearchDefs::eNormalizedCorrelation,
        1,
        xc_corrsearch_detail::kAllAlgorithms,
        "algorithms must be a non-empty combination of 8 and 16",
        &xc_corrsearch_detail::isAlgorithmMask,
        4};

    static auto fields() { return std::tie(accuracy, algorithms); }
};

struct xc_CorrSearchRunParamsTable {
    using Owner = xcCorrSearchRunParams;
    using Error = xcCorrSearchDefs::BadParams;

    static inline const xc_ParamField<Owner, long> algorithm{
        "algorithm",
        &Owner::algorithm_,
        &Owner::algorithm,
        xcCorrSearchDefs::eNormalizedCorrelation,
        xcCorrSearchDefs::eNormalizedCorrelation,
        xcCorrSearchDefs::eExhaustiveCorrelation,
        "algorithm must be 8 or 16",
        &xc_corrsearch_detail::isAlgorithm,
        12};
    static inline const xc_ParamField<Owner, long> accuracy{"accuracy",
                                                            &Owner::accuracy_,
                                                            &Owner::accuracy,
                                                            4,
                                                            1,
                                                            4,
                                                            "accuracy must be between 1 and 4"};
    static inline const xc_ParamField<Owner, double> accept{
        "accept", &Owner::accept_, &Owner::accept, 0.5, 0.0, 1.0, "accept must be between 0 and 1"};
    static inline const xc_ParamField<Owner, double> confusion{"confusion",
                                                               &Owner::confusion_,
                                                               &Owner::confusion,
                                                               0.6,
                                                               0.0,
                                                               1.0,
                                                               "confusion must be between 0 and 1"};
    static inline const xc_ParamField<Owner, double> xyOverlap{"xyOverlap",
                                                               &Owner::xyOverlap_,
                                                               &Owner::xyOverlap,
                                                               0.3,
                                                               0.0,
                                                               1.0,
                                                               "xyOverlap must be between 0 and 1"};
    static inline const xc_ParamField<Owner, short> maxNumResults{
        "maxNumResults",
        &Owner::maxNumResults_,
        &Owner::maxNumResults,
        1,
        1,
        std::numeric_limits<short>::max(),
        "maxNumResults must be 1 or more"};

    static auto fields() {
        return std::tie(algorithm, accuracy, accept, confusion, xyOverlap, maxNumResults);
    }
};
