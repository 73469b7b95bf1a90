// The pose of a character: translation, angle and isotropic scale.
#pragma once

#include "core/geom/angle.h"
#include "core/geom/rigid.h"
#include "core/geom/vector.h"
#include "core/geom/xform.h"
#include "foundation/export.h"

class OC_API xc_Pose {
public:
    // Translation (0, 0), angle 0, scale 1, logScale 0.
    xc_Pose() = default;
    // logScale = ln(scale).
    xc_Pose(const xcVector<2>& translation, xcRadian angle, double scale);
    // The pose of a transform with matrix [[a b], [c d]] and translation t: translation t,
    // angle atan2(c - b, a + d) (0 when both are exactly 0), scale sqrt(|det|).
    explicit xc_Pose(const xcXform<2>& x);

    // scale * [[cos, -sin], [sin, cos]] of the angle, with the translation.
    xcXform<2> xform() const;
    // The angle and translation; the scale is dropped.
    xc2Rigid rigid() const { return xc2Rigid(angle, translation); }

    xcVector<2> translation;
    xcRadian angle;
    double scale = 1.0;
    double logScale = 0.0;
};
