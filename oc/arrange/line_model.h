// Straight and circular line models of an arrangement and their five geometric cost terms.
#pragma once

#include "core/geom/circle.h"
#include "core/geom/line.h"
#include "foundation/export.h"
#include "oc/arrange/arrange_context.h"
#include "oc/arrange/arrange_fit.h"
#include "oc/arrange/arrange_path.h"

#include <vector>

// For every line of the path: fits a straight and, where allowed, a circular model through its
// matched candidates, predicts each character's position and angle, and adds the line's
// normal, tangential, orientation, scale and spacing errors to the five geometric terms of
// `fit` (which the caller has reset and filled with the non-geometric terms). Appends one entry
// per line to lineTypes, lineAngles and lineScales; when isFinal, also the segments, arcs and
// the per-character vectors (sized to the path's depth). Returns false when a line with two or
// more matched characters has no valid model, which rejects the path.
OC_API bool xf_ArrangeLineCosts_(const xc_ArrangeContext& ctx, const xc_ArrangePath& path,
                                 bool isFinal, xc_ArrangeFit& fit);
