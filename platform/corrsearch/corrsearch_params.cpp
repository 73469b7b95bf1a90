#include "corrsearch/corrsearch_params.h"

#include "corrsearch/detail/params_table.h"

using TrainTable = xc_CorrSearchTrainParamsTable;
using RunTable = xc_CorrSearchRunParamsTable;

xcCorrSearchTrainParams::xcCorrSearchTrainParams() {
    xf_ResetParams<TrainTable>(*this);
}

void xcCorrSearchTrainParams::accuracy(long v) {
    xf_SetParam<TrainTable>(*this, TrainTable::accuracy, v);
}

void xcCorrSearchTrainParams::algorithms(long mask) {
    xf_SetParam<TrainTable>(*this, TrainTable::algorithms, mask);
}

xcCorrSearchRunParams::xcCorrSearchRunParams(long algorithm) {
    xf_ResetParams<RunTable>(*this);
    this->algorithm(algorithm);
}

void xcCorrSearchRunParams::algorithm(long v) {
    xf_SetParam<RunTable>(*this, RunTable::algorithm, v);
}

void xcCorrSearchRunParams::accuracy(long v) {
    xf_SetParam<RunTable>(*this, RunTable::accuracy, v);
}

void xcCorrSearchRunParams::accept(double v) {
    xf_SetParam<RunTable>(*this, RunTable::accept, v);
}

void xcCorrSearchRunParams::confusion(double v) {
    xf_SetParam<RunTable>(*this, RunTable::confusion, v);
}

void xcCorrSearchRunParams::xyOverlap(double v) {
    xf_SetParam<RunTable>(*this, RunTable::xyOverlap, v);
}

void xcCorrSearchRunParams::maxNumResults(short v) {
    xf_SetParam<RunTable>(*this, RunTable::maxNumResults, v);
}
