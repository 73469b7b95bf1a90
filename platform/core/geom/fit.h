// Least-squares fits of a line and of a circle to a set of points.
#pragma once

#include "core/export.h"
#include "core/geom/circle.h"
#include "core/geom/line.h"

#include <vector>

// The straight line nearest the points in the total-least-squares sense (the sum of squared
// perpendicular distances is smallest; orthogonal regression). It runs through the points'
// centroid along the principal axis of their scatter.
//
// The result is in normal form (see xcLine): angleDeg() is the DIRECTION angle phi, in
// (-90, 90] degrees, and normalDistance() is the signed distance d of the line from the origin
// measured along the left normal (-sin phi, cos phi); point() is d * (-sin phi, cos phi), the
// line's point nearest the origin. So (0, 1), (5, 1), (10, 1) give phi = 0 and d = 1, and any
// vertical line gives phi = 90. The direction does not follow the order of the points.
// Coincident points give some phi and the line through them.
//
// The three trailing parameters (a mode, a count and a limit) are accepted and ignored. Fewer
// than 2 points, or a point that is not finite, throw xcGeomDefs::BadParams.
XCORE_API xcLine xfLineFit(const std::vector<xcVector<2>>& pts, long mode, long count,
                           double limit);

// The circle nearest the points: an algebraic least-squares fit (x^2 + y^2 + D x + E y + F = 0,
// on coordinates taken about the centroid) refined by damped Gauss-Newton steps on the
// geometric distances | |p - centre| - radius |.
//
// Collinear points, or points so close to a line that no sensible circle fits (the smaller
// principal spread below 1e-6 of the larger), give radius 0 and centre (0, 0); that is not an
// error. The four trailing parameters are accepted and ignored. Fewer than 3 points, or a point
// that is not finite, throw xcGeomDefs::BadParams.
XCORE_API xcCircle xfCircleFit(const std::vector<xcVector<2>>& pts, long mode, double scale,
                               long count, double limit);
