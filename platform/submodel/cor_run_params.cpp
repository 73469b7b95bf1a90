#include "submodel/cor_run_params.h"

#include "submodel/detail/cor_params_table.h"

using CorRunTable = xc_SubModelCorRunParamsTable;

xcSubModelCorRunParams::xcSubModelCorRunParams() {
    xf_ResetParams<CorRunTable>(*this);
}

void xcSubModelCorRunParams::acceptThreshold(double threshold) {
    xf_SetParam<CorRunTable>(*this, CorRunTable::acceptThreshold, threshold);
}

void xcSubModelCorRunParams::zoneEnable(long mask) {
    xf_SetParam<CorRunTable>(*this, CorRunTable::zoneEnable, mask);
}

void xcSubModelCorRunParams::partialMatch(const xcPelRect& r) {
    xf_SetParam<CorRunTable>(*this, CorRunTable::partialMatch, r);
}

void xcSubModelCorRunParams::xyUncertainty(const xcVector<2>& extent) {
    xf_SetParam<CorRunTable>(*this, CorRunTable::xyUncertainty, extent);
}
