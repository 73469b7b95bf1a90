#include "oc/extract/extract_model_params.h"

xc_OCExtractModelParams::xc_OCExtractModelParams()
    : angleRange(-180.0, 180.0), scaleRange(0.5, 2.0), grainLimits(-1.0, -1.0) {
}
