#include "align/align_run_params.h"

#include "align/align_defs.h"
#include "align/detail/run_params_table.h"

#include <cmath>

namespace {

using AlignRunTable = xc_AlignRunParamsTable;

void checkDof(long dof) {
    if (dof != xcAlignRunParams::eAngle && dof != xcAlignRunParams::eScale)
        throw xc_AlignDefs::BadParams("degree of freedom must be 1 (angle) or 2 (scale)");
}

bool scaleInRange(double v) {
    return v >= 0.1 && v <= 10.0;
}

} // namespace

xcAlignRunParams::xcAlignRunParams() {
    xf_ResetParams<AlignRunTable>(*this);
}

void xcAlignRunParams::acceptThreshold(double v) {
    xf_SetParam<AlignRunTable>(*this, AlignRunTable::acceptThreshold, v);
}

void xcAlignRunParams::algorithm(long v) {
    xf_SetParam<AlignRunTable>(*this, AlignRunTable::algorithm, v);
}

void xcAlignRunParams::zoneEnable(long mask) {
    xf_SetParam<AlignRunTable>(*this, AlignRunTable::zoneEnable, mask);
}

void xcAlignRunParams::scoreUsingClutter(bool v) {
    xf_SetParam<AlignRunTable>(*this, AlignRunTable::scoreUsingClutter, v);
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
    xf_SetParam<AlignRunTable>(*this, AlignRunTable::contrastThreshold, v);
}

void xcAlignRunParams::xyOverlap(double v) {
    xf_SetParam<AlignRunTable>(*this, AlignRunTable::xyOverlap, v);
}

void xcAlignRunParams::numToFind(long v) {
    xf_SetParam<AlignRunTable>(*this, AlignRunTable::numToFind, v);
}
