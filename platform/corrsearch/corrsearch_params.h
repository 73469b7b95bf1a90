// Train and run parameters of the correlation search tool.
#pragma once

#include "corrsearch/export.h"

// How a correlation model is trained. Every setter checks its argument first and throws
// xcCorrSearchDefs::BadParams, leaving the object unchanged, when it makes no sense. The fields
// of both classes are declared in detail/params_table.h.
class XCORRSEARCH_API xcCorrSearchTrainParams {
public:
    // accuracy 4, algorithms 8 (eNormalizedCorrelation).
    xcCorrSearchTrainParams();

    // The finest location accuracy runs of the model may give (1..4): 1 whole pels, 2 to 4
    // sub-pel (see xcCorrSearchRunParams::accuracy). A run asking for more gets this.
    long accuracy() const { return accuracy_; }
    void accuracy(long v);
    // The methods runs may use: a non-empty bit mask of xcCorrSearchDefs::Algorithm codes (8 and
    // 16), no other bits.
    long algorithms() const { return algorithms_; }
    void algorithms(long mask);

private:
    friend struct xc_CorrSearchTrainParamsTable;
    long accuracy_;
    long algorithms_;
};

// How one run searches and what it reports. Every setter checks its argument first and throws
// xcCorrSearchDefs::BadParams, leaving the object unchanged, when it makes no sense.
class XCORRSEARCH_API xcCorrSearchRunParams {
public:
    // The given method (one xcCorrSearchDefs::Algorithm code), accuracy 4, accept 0.5,
    // confusion 0.6, xyOverlap 0.3, maxNumResults 1. Another algorithm value throws BadParams.
    explicit xcCorrSearchRunParams(long algorithm = 8);

    // One xcCorrSearchDefs::Algorithm code; the model must have been trained for it.
    long algorithm() const { return algorithm_; }
    void algorithm(long v);
    // Location accuracy (1..4): 1 reports the best whole-pel placement; 2 refines it with a
    // parabola through the scores of the two neighbours along each axis; 3 fits a quadratic
    // surface to the 3 x 3 scores around the peak by least squares (falling back to the
    // parabolas where the surface has no maximum there); 4 goes on from there with a few
    // Gauss-Newton steps that fit a linear grey map of the model to the bilinearly sampled
    // image, which removes most of the quadratic fits' pull towards whole pels, and scores the
    // find there (see xcCorrSearchModel).
    long accuracy() const { return accuracy_; }
    void accuracy(long v);
    // Results scoring at least this (0..1) are found and reported; others are not reported.
    double accept() const { return accept_; }
    void accept(double v);
    // The score (0..1) above which a find is taken to be sure; kept for the caller, the search
    // itself does not read it.
    double confusion() const { return confusion_; }
    void confusion(double v);
    // Two finds overlap when their model rectangles' intersection, over the model's area,
    // exceeds this (0..1); of two overlapping finds only the better is reported.
    double xyOverlap() const { return xyOverlap_; }
    void xyOverlap(double v);
    // The largest number of results reported (1 or more).
    short maxNumResults() const { return maxNumResults_; }
    void maxNumResults(short v);

private:
    friend struct xc_CorrSearchRunParamsTable;
    long algorithm_;
    long accuracy_;
    double accept_;
    double confusion_;
    double xyOverlap_;
    short maxNumResults_;
};
