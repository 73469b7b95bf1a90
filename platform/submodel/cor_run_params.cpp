#include "submodel/cor_run_params.h"

#include "submodel/detail/cor_params_table.h"

using Table = xc_SubModelCorRunParamsTable;

xcSubModelCorRunParams::xcSubModelCorRunParams() {
    xf_ResetParams<Table>(*this);
}

void xcSubModelCorRunParams::acceptThreshold(double threshold) {
    xf_SetParam<Table>(*this, Table::acceptThreshold, threshold);
}

void xcSubModelCorRunParams::zoneEnable(long mask) {
    xf_SetParam<Table>(*this, Table::zoneEnable, mask);
}

void xcSubModelCorRunParams::partialMatch(const xcPelRect& r) {
    xf_SetParam<Table>(*this, Table::partialMatch, r);
}

void xcSubModelCorRunParams::xyUncertainty(const xcVector<2>& extent) {
    xf_SetParam<Table>(*this, Table::xyUncertainty, extent);
}
