// The declared pen fields of the graphics' props (the colour takes any value).
#pragma once

#include "core/base/param_table.h"
#include "diag/diag_errors.h"
#include "diag/graphics.h"

#include <limits>

struct xc_GraphicPropsTable {
    using Owner = xcGraphicProps;
    using Error = xcDiagDefs::BadParams;

    static inline const xc_ParamField<Owner, xePenStyle> penStyle{
        "penStyle",
        &Owner::style_,
        &Owner::penStyle,
        eSolid,
        eSolid,
        eDashDotDot,
        "Pen style must be between 0 and 4"};
    static inline const xc_ParamField<Owner, long> penWidth{"penWidth",
                                                            &Owner::width_,
                                                            &Owner::penWidth,
                                                            1,
                                                            1,
                                                            std::numeric_limits<long>::max(),
                                                            "Pen width must be >= 1"};

    static auto fields() { return std::tie(penStyle, penWidth); }
};
