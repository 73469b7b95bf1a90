#include "submodel/cor_train_params.h"

#include "submodel/detail/cor_params_table.h"

using CorTrainTable = xc_SubModelCorTrainParamsTable;

xcSubModelCorTrainParams::xcSubModelCorTrainParams() {
    xf_ResetParams<CorTrainTable>(*this);
}

void xcSubModelCorTrainParams::coarseGrainLimit(double grain) {
    xf_SetParam<CorTrainTable>(*this, CorTrainTable::coarseGrainLimit, grain);
}

void xcSubModelCorTrainParams::zoneAllowed(long mask) {
    xf_SetParam<CorTrainTable>(*this, CorTrainTable::zoneAllowed, mask);
}
