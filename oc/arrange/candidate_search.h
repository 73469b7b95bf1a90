// The arranger's candidate search: every expected character's possible poses and scores.
#pragma once

#include "core/base/handle.h"
#include "core/image/pel_buffer.h"
#include "foundation/export.h"
#include "oc/arrange/arrange_params.h"
#include "oc/arrange/char_data.h"
#include "oc/arrange/pose.h"
#include "oc/oc/alphabet.h"

#include <vector>

class xcDiagObject;

// Runs the extraction tool once over the whole image and fills, per expected character, every
// instance found (poses and scores, best first) and in charData its symmetry, 180-degree pose,
// occurrence count, candidate count (the K best and those after them within 0.15 of the K-th,
// K the occurrence count) and whether it may stay unmatched (unless its K-th instance scores
// 0.7 or more). Returns false when the extraction ran out of time or failed for some model.
OC_API bool xf_ArrangeCandidateSearch_(const xcPelBuffer_const<unsigned char>& image,
                                       const xcPelBuffer_const<unsigned char>& binaryMask,
                                       const xcPtrHandle_const<xcOCAlphabet>& alphabet,
                                       const std::vector<long>& keys,
                                       const xcOCArrangeParams& params,
                                       std::vector<xc_CharData>& charData,
                                       std::vector<std::vector<xc_Pose>>& poses,
                                       std::vector<std::vector<double>>& scores, xcDiagObject* rec,
                                       unsigned long flags);
