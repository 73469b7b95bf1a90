#include "submodel/cor_train_params.h"

#include "submodel/submodel_defs.h"

#include <cmath>

void xcSubModelCorTrainParams::coarseGrainLimit(double grain) {
    if (!(std::isfinite(grain) && grain >= 1.0))
        throw xc_SubModelDefs::BadParams("coarseGrainLimit must be a finite number >= 1");
    coarseGrainLimit_ = grain;
}
