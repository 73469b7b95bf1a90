// One occurrence of a character model in a run-time image.
#pragma once

#include "core/geom/affine_rect.h"
#include "core/geom/rect.h"
#include "core/geom/xform.h"
#include "foundation/export.h"

class xcAlignResult;

class OC_API xc_OCExtractCharInstance {
public:
    // Score 0, identity pose, a rectangle with every corner at (0, 0).
    xc_OCExtractCharInstance() = default;
    // score and pose from the alignment result; affRect is trainWindow (Po its upper-left, Px
    // its upper-right, Py its lower-left corner) mapped by pose * trainClientXform, where
    // trainClientXform maps the pattern's train image pels to its train client coordinates.
    xc_OCExtractCharInstance(const xcAlignResult& result, const xcXform<2>& trainClientXform,
                             const xcPelRect& trainWindow);
    xc_OCExtractCharInstance(const xc_OCExtractCharInstance&) = default;
    xc_OCExtractCharInstance& operator=(const xc_OCExtractCharInstance&) = default;
    ~xc_OCExtractCharInstance() = default;

    // !(b.score >= a.score): sorting with it puts the higher scores first.
    static bool orderByScore(const xc_OCExtractCharInstance& a, const xc_OCExtractCharInstance& b);

    // This rectangle, mapped into the unit square of other's rectangle, has its centre, Po, Px,
    // Py or Popp (tested in that order) within `tolerance` of (0.5, 0.5). Not symmetric. A
    // degenerate rectangle of other throws xcGeomDefs::Singular.
    bool isEqual(const xc_OCExtractCharInstance& other, double tolerance) const;

    // The pattern-alignment score.
    double score = 0.0;
    // The pattern's train client coordinates to the run-time image's client coordinates.
    xcXform<2> pose;
    // Where the character's trained image window lies in the run-time image (client).
    xcAffineRectangle affRect;
};
