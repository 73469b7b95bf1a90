#include "submodel/cor_train_params.h"

#include "submodel/detail/cor_params_table.h"

using Table = xc_SubModelCorTrainParamsTable;

xcSubModelCorTrainParams::xcSubModelCorTrainParams() {
    xf_ResetParams<Table>(*this);
}

void xcSubModelCorTrainParams::coarseGrainLimit(double grain) {
    xf_SetParam<Table>(*this, Table::coarseGrainLimit, grain);
}

void xcSubModelCorTrainParams::zoneAllowed(long mask) {
    xf_SetParam<Table>(*this, Table::zoneAllowed, mask);
}
