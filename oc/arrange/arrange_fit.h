// The evaluation of one partial arrangement: eight cost terms and, for the final evaluation,
// the line models and what they predict for every character.
#pragma once

#include "core/geom/angle.h"
#include "core/geom/ellipse_arc.h"
#include "core/geom/lineseg.h"
#include "core/geom/vector.h"
#include "foundation/export.h"
#include "oc/arrange/arrange_defs.h"

#include <vector>

class OC_API xc_ArrangeFit {
public:
    // Zeros every term and empties every vector (keeping their capacity).
    void reset();
    // The sum of the eight terms in the order they are declared.
    double totalCost() const;

    double matchTerm = 0.0;     // sum over matched characters of 1 - score
    double unmatchedTerm = 0.0; // costed unmatched characters x unmatchedCharCost
    double lineBreakTerm = 0.0; // (counted lines - 1) x lineBreakCost, 0 for one line
    double normalTerm = 0.0;    // the geometric terms of the line models
    double tangentialTerm = 0.0;
    double orientationTerm = 0.0;
    double scaleTerm = 0.0;
    double spacingTerm = 0.0;

    // One per line: eStraight, eCircular, or eDontCare for a line with fewer than two matched
    // characters.
    std::vector<xcOCArrangeDefs::LineType> lineTypes;
    std::vector<xcLineSeg> lineSegments; // one per straight line, final evaluation only
    std::vector<xcEllipseArc2> lineArcs; // one per circular line, final evaluation only
    std::vector<xcRadian> lineAngles;    // one per line: its average character angle
    std::vector<double> lineScales;      // one per line: its average scale

    // One per character, final evaluation only (errors 0 for unmatched characters).
    std::vector<double> tangentialErrors, normalErrors, rotationErrors, scaleErrors;
    std::vector<xcVector<2>> expectedPositions;
    std::vector<xcRadian> expectedAngles;
};
