// The part of a run-time image around the expected place of a character, resampled onto the
// character's own pel grid.
#pragma once

#include "core/geom/rect.h"
#include "core/geom/xform.h"
#include "core/image/pel_buffer.h"
#include "foundation/export.h"

#include <optional>

// floor(v (1 + 1e-11)) for positive v and floor(v (1 - 1e-11)) for negative v: a value a
// rounding error below a whole number still counts as that number. Ceiling likewise.
OC_API long xf_OCTolerantFloor(double v);
OC_API long xf_OCTolerantCeil(double v);

// The axis-aligned pel box, centred on the region's centre, that holds the region's corners
// after scaling by (1 + scaleTol) about the centre and turning by any angle within
// +-(angleTolDeg + 2) degrees.
OC_API xcPelRect xf_OCEnlargedRegion(const xcPelRect& region, double angleTolDeg, double scaleTol);

// Samples the run-time image over the enlarged character window placed by
// expected * charClientFromImage; first with the window widened by a third of its size on every
// side, then with the window itself. The first attempt whose sampling stays inside the image
// gives the image, its offset moved to the (widened) window's upper-left corner with its client
// coordinates (the run image's) kept. Nothing for a null window or when both attempts clip.
OC_API std::optional<xcPelBuffer<unsigned char>>
xf_OCNeighbourhoodImage(const xcPelBuffer_const<unsigned char>& runImage, const xcPelRect& window,
                        const xcXform<2>& charClientFromImage, const xcXform<2>& expected,
                        double angleTolDeg, double scaleTol);
