// Training parameters of the correlation sub-model tool.
#pragma once

#include "submodel/export.h"

// Setters check their argument first and throw xc_SubModelDefs::BadParams, leaving the object
// unchanged, when it makes no sense. The fields are declared in detail/cor_params_table.h.
class XSUBMODEL_API xcSubModelCorTrainParams {
public:
    // coarseGrainLimit 1, zoneAllowed 0.
    xcSubModelCorTrainParams();

    // The coarsest grain (in model pels, a finite number >= 1) a coarse-to-fine search may work
    // on. The search is exhaustive at full resolution, so the value is kept but does not change
    // the result.
    double coarseGrainLimit() const { return coarseGrainLimit_; }
    void coarseGrainLimit(double grain);
    // Bit mask of the degrees of freedom that runs may search beyond translation. Translation is
    // always searched and is the only one this tool searches: every value is accepted and kept,
    // and bits other than 0 are ignored.
    long zoneAllowed() const { return zoneAllowed_; }
    void zoneAllowed(long mask);

private:
    friend struct xc_SubModelCorTrainParamsTable;
    double coarseGrainLimit_;
    long zoneAllowed_;
};
