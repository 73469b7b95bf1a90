// Parameters of one run of the pattern-alignment tool.
#pragma once

#include "align/export.h"

// What a run searches for and what it reports.
//
// Degrees of freedom are named by code: 1 the angle (degrees, in the client coordinates of the
// run image relative to the pattern's), 2 the scale (a ratio). zoneEnable is a bit mask of the
// codes whose zone is searched; a degree of freedom whose bit is clear is held at its nominal
// value. Translation is always searched over the whole image.
//
// Every setter checks its arguments first and throws xc_AlignDefs::BadParams, leaving the object
// unchanged, when they make no sense. The single-value fields are declared in
// detail/run_params_table.h.
class XALIGN_API xcAlignRunParams {
public:
    static constexpr long eAngle = 1;
    static constexpr long eScale = 2;

    // acceptThreshold 0.5, algorithm 2, zoneEnable 0, angle zone -180..180 with nominal 0,
    // scale zone 1..1 with nominal 1, scoreUsingClutter false, contrastThreshold 10,
    // xyOverlap 0.8, numToFind 1.
    xcAlignRunParams();

    // Results scoring at least this (0..1) are accepted.
    double acceptThreshold() const { return acceptThreshold_; }
    void acceptThreshold(double v);
    // The caller's choice of method (0..3); every value runs the same search.
    long algorithm() const { return algorithm_; }
    void algorithm(long v);
    // Bit mask of eAngle and eScale.
    long zoneEnable() const { return zoneEnable_; }
    void zoneEnable(long mask);
    // The zone of a degree of freedom. Angle: low <= high, both finite, at most 360 apart; a
    // zone of 358 degrees or more is searched as the whole circle, angles then reported in
    // [low, low + 360).
    // Scale: 0.1 <= low <= high <= 10.
    void zone(long dof, double low, double high);
    double zoneLow(long dof) const;
    double zoneHigh(long dof) const;
    // The value a degree of freedom is held at when its zone is not enabled. Angle: any finite
    // number of degrees; scale: 0.1 .. 10.
    void nominal(long dof, double value);
    double nominal(long dof) const;
    // When true the score is lowered by the clutter: image edges where the pattern has none.
    bool scoreUsingClutter() const { return scoreUsingClutter_; }
    void scoreUsingClutter(bool v);
    // Placements whose grey standard deviation under the pattern is below this (>= 0) are
    // rejected.
    double contrastThreshold() const { return contrastThreshold_; }
    void contrastThreshold(double v);
    // Two results overlap when the intersection of their placed train windows over the smaller
    // window's area exceeds this (0..1); the better one is kept.
    double xyOverlap() const { return xyOverlap_; }
    void xyOverlap(double v);
    // The largest number of results reported (1 .. 10000).
    long numToFind() const { return numToFind_; }
    void numToFind(long v);

private:
    friend struct xc_AlignRunParamsTable;

    double acceptThreshold_;
    long algorithm_;
    long zoneEnable_;
    double angleLow_ = -180.0, angleHigh_ = 180.0, angleNominal_ = 0.0;
    double scaleLow_ = 1.0, scaleHigh_ = 1.0, scaleNominal_ = 1.0;
    bool scoreUsingClutter_;
    double contrastThreshold_;
    double xyOverlap_;
    long numToFind_;
};
