// Exceptions and method codes of the correlation search tool.
#pragma once

#include "core/base/error_class.h"
#include "corrsearch/export.h"

#include <string>

// Error numbers: Errors 0x10000701, BadParams 0x10000702, BadImage 0x10000703, NotTrained
// 0x10000704, FlatModel 0x10000705. Every class of the family derives from Errors, so a caller
// can catch the tool's failures in one handler.
struct xcCorrSearchDefs {
    // Method codes, used as bits of the train parameters' `algorithms` and as the run
    // parameters' `algorithm`.
    enum Algorithm : long {
        // Normalised grey-level correlation, searched coarse-to-fine: every placement on 2 x 2
        // pel means first, then the best coarse peaks at full resolution (the whole search at
        // full resolution when the model or the image is too small for the coarse step).
        eNormalizedCorrelation = 8,
        // The same score, with every placement scored at full resolution.
        eExhaustiveCorrelation = 16,
    };

    // The root of the family; also thrown for a failure that fits none of the others.
    XC_ERROR_CLASS(XCORRSEARCH_API, Errors, xcExceptionWithString, 0x10000701);
    // A parameter outside its range, or a run algorithm the model was not trained for.
    XC_ERROR_CLASS(XCORRSEARCH_API, BadParams, Errors, 0x10000702);
    // An image the tool cannot use: unbound, too small, too large, or smaller than the model.
    XC_ERROR_CLASS(XCORRSEARCH_API, BadImage, Errors, 0x10000703);
    // A run of a model that has not been trained.
    XC_ERROR_CLASS(XCORRSEARCH_API, NotTrained, Errors, 0x10000704);
    // A training image whose pels all have one grey value: nothing to correlate with.
    XC_ERROR_CLASS(XCORRSEARCH_API, FlatModel, Errors, 0x10000705);
};
