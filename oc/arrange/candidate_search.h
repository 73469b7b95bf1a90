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
class xc_OCExtractCharResult;

// One character's share of the search: its symmetry, 180-degree pose and occurrence count K
// from the extraction's result; numCandidates = K plus the instances after the K-th best that
// score at least its score - 0.15 (all N when N <= K); allowUnmatched unless N >= K and the
// K-th best scores 0.7 or more; every instance appended to poses and scores, best first.
OC_API void xf_ArrangeTakeCandidates_(const xc_OCExtractCharResult& result, xc_CharData& data,
                                      std::vector<xc_Pose>& poses, std::vector<double>& scores);

// Runs the extraction tool once over the whole image and fills, per expected character, every
// instance found and the rest of its share (above). Returns false when the extraction ran out
// of time or failed for some model.
OC_API bool xf_ArrangeCandidateSearch_(const xcPelBuffer_const<unsigned char>& image,
                                       const xcPelBuffer_const<unsigned char>& binaryMask,
                                       const xcPtrHandle_const<xcOCAlphabet>& alphabet,
                                       const std::vector<long>& keys,
                                       const xcOCArrangeParams& params,
                                       std::vector<xc_CharData>& charData,
                                       std::vector<std::vector<xc_Pose>>& poses,
                                       std::vector<std::vector<double>>& scores, xcDiagObject* rec,
                                       unsigned long flags);
