#include "oc/extract/extract_run_params.h"

xc_OCExtractRunParams::xc_OCExtractRunParams()
    : timeout(10.0), acceptThreshold(0.5), confusionThreshold(0.6), overlap(0.1), reserved(-1) {
}
