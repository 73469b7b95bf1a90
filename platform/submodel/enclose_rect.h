// The rectangle that a placed polygon can cover when its pose is uncertain.
#pragma once

#include "core/geom/angle.h"
#include "core/geom/polygon.h"
#include "core/geom/rect.h"
#include "core/geom/xform.h"
#include "submodel/export.h"

// Returns the axis-aligned bounding box of every point that the polygon can cover when it is
// placed by `pose` and its placement may deviate within the given uncertainties, expressed in the
// frame that `c` maps from: with C = c^-1, the box holds
//
//   C( T(dx, dy) * pose * S(sigma) * R(rho) (v) )
//
// for every vertex v of the polygon and every |dx| <= tx, |dy| <= ty, |rho| <= r and
// sigma in [max(0, 1 - s), 1 + s]. The turn R and the uniform scale S act about the origin of the
// polygon's own frame (before `pose`); the translation T acts after `pose`, in the frame `pose`
// maps to. A polygon placed by an object's pose and mapped by the image's client-from-image
// transform as `c` thus gives its extent in that image's pel coordinates.
//
// The box is exact for every affine pose and c: each coordinate of the covered point is, for a
// vertex, A cos(rho - alpha) * sigma plus a term linear in (dx, dy), whose extremes over the
// allowed ranges have closed forms. With all uncertainties 0 the result is exactly the bounding
// box of C(pose(v)) over the vertices.
//
// u1, u2, u3 and n are not used: the box models only the translation, turn and scale
// uncertainties above. They keep the signature the character and line models call, and every
// caller passes them as 0.0, 0.0, 0.0 (no further uncertainty) and 1, so ignoring them never
// narrows a box a caller relies on. Any value is accepted and changes nothing.
//
// Throws xcGeomDefs::BadParams for an empty polygon, an uncertainty that is negative or NaN, or a
// result that is not finite; xcGeomDefs::Singular when c cannot be inverted.
XSUBMODEL_API xcRect xfEncloseRect(const xcPolygon& poly, const xcXform<2>& pose,
                                   const xcXform<2>& c, double tx, double ty, xcRadian r, double s,
                                   double u1, double u2, double u3, long n);
