// What the arranger knows about one expected character before it searches for lines.
#pragma once

#include "core/geom/affine_rect.h"
#include "core/geom/vector.h"
#include "core/geom/xform.h"
#include "foundation/export.h"
#include "oc/extract/extract_defs.h"

// One per expected character, in key order. rect is the model's image area in client
// coordinates; setting it recomputes the two diagonals diagonalA = Px - Py and
// diagonalB = Px + Py - 2 Po, from which the character's width along a unit direction u, for a
// character turned by phi from u, is max(|(R(phi) diagonalA).x|, |(R(phi) diagonalB).x|) and its
// height the same with the y components.
class OC_API xc_CharData {
public:
    xc_CharData() = default;

    const xcAffineRectangle& rect() const { return rect_; }
    void rect(const xcAffineRectangle& r);
    const xcVector<2>& diagonalA() const { return diagonalA_; }
    const xcVector<2>& diagonalB() const { return diagonalB_; }

    // Width and height of the character turned by phiRadian relative to the measuring direction.
    double widthAt(double phiRadian) const;
    double heightAt(double phiRadian) const;

    bool isBlank = false;      // the model is of type eBlank
    bool hasCandidates = true; // false when the search found no instance
    xc_OCExtractDefs::Symmetry symmetry = xc_OCExtractDefs::eNoSymmetry;
    xcXform<2> rot180Pose;      // where the model matches itself turned by 180 degrees
    long numOccurrences = 0;    // how often its key occurs in the key vector
    long numCandidates = 0;     // how many candidates, best first, the search may use
    bool allowUnmatched = true; // whether the search may leave it unmatched

private:
    xcAffineRectangle rect_;
    xcVector<2> diagonalA_;
    xcVector<2> diagonalB_;
};
