#include "corrsearch/corrsearch_params.h"

#include "corrsearch/corrsearch_defs.h"

namespace {

constexpr long kAllAlgorithms =
    xcCorrSearchDefs::eNormalizedCorrelation | xcCorrSearchDefs::eExhaustiveCorrelation;

bool isAlgorithm(long v) {
    return v == xcCorrSearchDefs::eNormalizedCorrelation ||
           v == xcCorrSearchDefs::eExhaustiveCorrelation;
}

// NaN fails both comparisons, so it is refused too.
bool isFraction(double v) {
    return v >= 0.0 && v <= 1.0;
}

void checkAccuracy(long v) {
    if (v < 1 || v > 4) throw xcCorrSearchDefs::BadParams("accuracy must be between 1 and 4");
}

} // namespace

void xcCorrSearchTrainParams::accuracy(long v) {
    checkAccuracy(v);
    accuracy_ = v;
}

void xcCorrSearchTrainParams::algorithms(long mask) {
    if (mask <= 0 || (mask & ~kAllAlgorithms) != 0)
        throw xcCorrSearchDefs::BadParams("algorithms must be a non-empty combination of 8 and 16");
    algorithms_ = mask;
}

xcCorrSearchRunParams::xcCorrSearchRunParams(long algorithm) {
    this->algorithm(algorithm);
}

void xcCorrSearchRunParams::algorithm(long v) {
    if (!isAlgorithm(v)) throw xcCorrSearchDefs::BadParams("algorithm must be 8 or 16");
    algorithm_ = v;
}

void xcCorrSearchRunParams::accuracy(long v) {
    checkAccuracy(v);
    accuracy_ = v;
}

void xcCorrSearchRunParams::accept(double v) {
    if (!isFraction(v)) throw xcCorrSearchDefs::BadParams("accept must be between 0 and 1");
    accept_ = v;
}

void xcCorrSearchRunParams::confusion(double v) {
    if (!isFraction(v)) throw xcCorrSearchDefs::BadParams("confusion must be between 0 and 1");
    confusion_ = v;
}

void xcCorrSearchRunParams::xyOverlap(double v) {
    if (!isFraction(v)) throw xcCorrSearchDefs::BadParams("xyOverlap must be between 0 and 1");
    xyOverlap_ = v;
}

void xcCorrSearchRunParams::maxNumResults(short v) {
    if (v < 1) throw xcCorrSearchDefs::BadParams("maxNumResults must be 1 or more");
    maxNumResults_ = v;
}
