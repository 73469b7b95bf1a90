// The read-only inputs that every stage of one arrangement run shares.
#pragma once

#include "foundation/export.h"
#include "oc/arrange/arrange_params.h"
#include "oc/arrange/char_data.h"
#include "oc/arrange/pose.h"

#include <vector>

class xcOCAlphabet;
class xc_LineCostCache;

// poses[i] and scores[i] hold every candidate of expected character i, best score first.
// isFlipped: the image's client-from-image transform, linearized at the image centre, mirrors.
struct xc_ArrangeContext {
    const xcOCAlphabet& alphabet;
    const std::vector<long>& keys;
    const std::vector<xc_CharData>& charData;
    const std::vector<std::vector<xc_Pose>>& poses;
    const std::vector<std::vector<double>>& scores;
    const xcOCArrangeParams& params;
    bool isFlipped = false;
    // Lines already fitted during this search (null: fit every line every time).
    xc_LineCostCache* lineCache = nullptr;

    long numChars() const { return static_cast<long>(keys.size()); }
};
