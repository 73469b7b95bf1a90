// The declared single-value fields of the alignment tool's run parameters; the per-degree-of-
// freedom zones and nominal values are checked by their own setters.
#pragma once

#include "align/align_defs.h"
#include "align/align_run_params.h"
#include "core/base/param_table.h"

#include <limits>

struct xc_AlignRunParamsTable {
    using Owner = xcAlignRunParams;
    using Error = xc_AlignDefs::BadParams;

    static bool onlyDofBits(const long& mask) {
        return (mask & ~(xcAlignRunParams::eAngle | xcAlignRunParams::eScale)) == 0;
    }

    static inline const xc_ParamField<Owner, double> acceptThreshold{
        "acceptThreshold",
        &Owner::acceptThreshold_,
        &Owner::acceptThreshold,
        0.5,
        0.0,
        1.0,
        "acceptThreshold must be between 0 and 1"};
    static inline const xc_ParamField<Owner, long> algorithm{"algorithm",
                                                             &Owner::algorithm_,
                                                             &Owner::algorithm,
                                                             2,
                                                             0,
                                                             3,
                                                             "algorithm must be between 0 and 3"};
    static inline const xc_ParamField<Owner, long> zoneEnable{
        "zoneEnable",
        &Owner::zoneEnable_,
        &Owner::zoneEnable,
        0,
        0,
        std::numeric_limits<long>::max(),
        "zoneEnable may hold only the bits 1 (angle) and 2 (scale)",
        &onlyDofBits,
        4};
    static inline const xc_ParamField<Owner, bool> scoreUsingClutter{"scoreUsingClutter",
                                                                     &Owner::scoreUsingClutter_,
                                                                     &Owner::scoreUsingClutter,
                                                                     false,
                                                                     false,
                                                                     true,
                                                                     ""};
    static inline const xc_ParamField<Owner, double> contrastThreshold{
        "contrastThreshold",
        &Owner::contrastThreshold_,
        &Owner::contrastThreshold,
        10.0,
        0.0,
        std::numeric_limits<double>::max(),
        "contrastThreshold must be a finite number >= 0"};
    static inline const xc_ParamField<Owner, double> xyOverlap{"xyOverlap",
                                                               &Owner::xyOverlap_,
                                                               &Owner::xyOverlap,
                                                               0.8,
                                                               0.0,
                                                               1.0,
                                                               "xyOverlap must be between 0 and 1"};
    static inline const xc_ParamField<Owner, long> numToFind{
        "numToFind",
        &Owner::numToFind_,
        &Owner::numToFind,
        1,
        1,
        10000,
        "numToFind must be between 1 and 10000"};

    static auto fields() {
        return std::tie(acceptThreshold, algorithm, zoneEnable, scoreUsingClutter,
                        contrastThreshold, xyOverlap, numToFind);
    }
};
