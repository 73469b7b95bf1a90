#include "align/align_run_params.h"

#include "align/align_defs.h"

#include <cmath>

namespace {

void checkDof(long dof) {
    if (dof != xcAlignRunParams::eAngle && dof != xcAlignRunParams::eScale)
        throw xc_AlignDefs::BadParams("degree of freedom must be 1 (angle) or 2 (scale)");
}

bool scaleInRange(double v) {
    return v >= 0.1 && v <= 10.0;
}

} // namespace

xcAlignRunParams::xcAlignRunParams() = default;

void xcAlignRunParams::acceptThreshold(double v) {
    if (!(v >= 0.0 && v <= 1.0))
        throw xc_AlignDefs::BadParams("acceptThreshold must be between 0 and 1");
    acceptThreshold_ = v;
}

void xcAlignRunParams::algorithm(long v) {
    if (v < 0 || v > 3) throw xc_AlignDefs::BadParams("algorithm must be between 0 and 3");
    algorithm_ = v;
}

void xcAlignRunParams::zoneEnable(long mask) {
    if (mask < 0 || (mask & ~(eAngle | eScale)) != 0)
        throw xc_AlignDefs::BadParams("zoneEnable may hold only the bits 1 (angle) and 2 (scale)");
    zoneEnable_ = mask;
}

void xcAlignRunParams::zone(long dof, double low, double high) {
    checkDof(dof);
    if (dof == eAngle) {
        if (!(std::isfinite(low) && std::isfinite(high) && low <= high && high - low <= 360.0))
            throw xc_AlignDefs::BadParams(
                "angle zone must be finite with low <= high and at most 360 degrees wide");
        angleLow_ = low;
        angleHigh_ = high;
    } else {
        if (!(scaleInRange(low) && scaleInRange(high) && low <= high))
            throw xc_AlignDefs::BadParams(
                "scale zone must lie between 0.1 and 10 with low <= high");
        scaleLow_ = low;
        scaleHigh_ = high;
    }
}

double xcAlignRunParams::zoneLow(long dof) const {
    checkDof(dof);
    return dof == eAngle ? angleLow_ : scaleLow_;
}

double xcAlignRunParams::zoneHigh(long dof) const {
    checkDof(dof);
    return dof == eAngle ? angleHigh_ : scaleHigh_;
}

void xcAlignRunParams::nominal(long dof, double value) {
    checkDof(dof);
    if (dof == eAngle) {
        if (!std::isfinite(value)) throw xc_AlignDefs::BadParams("nominal angle must be finite");
        angleNominal_ = value;
    } else {
        if (!scaleInRange(value))
            throw xc_AlignDefs::BadParams("nominal scale must lie between 0.1 and 10");
        scaleNominal_ = value;
    }
}

double xcAlignRunParams::nominal(long dof) const {
    checkDof(dof);
    return dof == eAngle ? angleNominal_ : scaleNominal_;
}

void xcAlignRunParams::contrastThreshold(double v) {
    if (!(v >= 0.0 && std::isfinite(v)))
        throw xc_AlignDefs::BadParams("contrastThreshold must be a finite number >= 0");
    contrastThreshold_ = v;
}

void xcAlignRunParams::xyOverlap(double v) {
    if (!(v >= 0.0 && v <= 1.0)) throw xc_AlignDefs::BadParams("xyOverlap must be between 0 and 1");
    xyOverlap_ = v;
}

void xcAlignRunParams::numToFind(long v) {
    if (v < 1 || v > 10000) throw xc_AlignDefs::BadParams("numToFind must be between 1 and 10000");
    numToFind_ = v;
}
