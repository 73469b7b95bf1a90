#include "oc/arrange/arrange_fit.h"

void xc_ArrangeFit::reset() {
    matchTerm = unmatchedTerm = lineBreakTerm = 0.0;
    normalTerm = tangentialTerm = orientationTerm = scaleTerm = spacingTerm = 0.0;
    lineTypes.clear();
    lineSegments.clear();
    lineArcs.clear();
    lineAngles.clear();
    lineScales.clear();
    tangentialErrors.clear();
    normalErrors.clear();
    rotationErrors.clear();
    scaleErrors.clear();
    expectedPositions.clear();
    expectedAngles.clear();
}

double xc_ArrangeFit::totalCost() const {
    return matchTerm + unmatchedTerm + lineBreakTerm + normalTerm + tangentialTerm +
           orientationTerm + scaleTerm + spacingTerm;
}
