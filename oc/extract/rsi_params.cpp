#include "oc/extract/rsi_params.h"

xcRSIParams::xcRSIParams()
    : angleRange(-180.0, 180.0), angleStep(5.0), scaleRange(0.5, 2.0), scaleStep(0.25),
      baseScale(1.0) {
}

xcRSIRunParams::xcRSIRunParams()
    : accept(0.5), confusion(0.6), overlap(0.1), maxNumResults(-1), region(0, 0, 1, 1) {
}
