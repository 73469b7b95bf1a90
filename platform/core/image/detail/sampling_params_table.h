// The declared fields of the affine sampler's parameters.
#pragma once

#include "core/base/param_table.h"
#include "core/image/affine_sampling.h"
#include "core/image/pel_errors.h"

#include <limits>

struct xc_AffineSamplingParamsTable {
    using Owner = xcAffineSamplingParams;
    using Error = xcPel::BadParams;
    using R = xcAffineRectangle;

    // degen() also holds for a rectangle with a corner that is not finite.
    static bool notDegenerate(const R& r) { return !r.degen(); }

    static inline const xc_ParamField<Owner, R> affineRectangle{
        "affineRectangle",
        &Owner::rect_,
        &Owner::affineRectangle,
        R(xcVector<2>(0, 0), xcVector<2>(1, 0), xcVector<2>(0, 1)),
        {},
        {},
        "Sampling rectangle is degenerate",
        &notDegenerate,
        R(xcVector<2>(0, 0), xcVector<2>(1, 0), xcVector<2>(2, 0))};
    static inline const xc_ParamField<Owner, short> nx{"nx",
                                                       &Owner::nx_,
                                                       &Owner::nx,
                                                       1,
                                                       1,
                                                       std::numeric_limits<short>::max(),
                                                       "Sample counts must be positive"};
    static inline const xc_ParamField<Owner, short> ny{"ny",
                                                       &Owner::ny_,
                                                       &Owner::ny,
                                                       1,
                                                       1,
                                                       std::numeric_limits<short>::max(),
                                                       "Sample counts must be positive"};
    static inline const xc_ParamField<Owner, Owner::Interpolation> interpolation{
        "interpolation", &Owner::mode_,   &Owner::interpolation,       Owner::eBilinear,
        Owner::eNearest, Owner::eBicubic, "Unknown interpolation mode"};

    static auto fields() { return std::tie(affineRectangle, nx, ny, interpolation); }
};
