// Refinement of an arrangement: searching again for the characters that had to be inferred.
#pragma once

#include "core/base/handle.h"
#include "core/image/pel_buffer.h"
#include "foundation/export.h"
#include "oc/arrange/arrange_defs.h"
#include "oc/arrange/pose.h"
#include "oc/oc/alphabet.h"

#include <vector>

class xcDiagObject;

// For every position whose status is eInferred, searches the neighbourhood of its pose with
// correlation models of its character turned by -3 to 3 degrees in steps of 0.5 and scaled by
// 0.95 to 1.065 in steps of 3 %; a find scoring 0.3 or more makes the position eMatched with the
// found pose and score. Matched, unknown and blank positions are never touched; positions with
// the same key share one trained searcher, and the thread keeps the last 16 searchers for later
// refinements of the same characters (xf_OCRefineSearcher). A position whose searcher cannot be
// built or whose search fails stays as it was; xcTimeout::Expired ends the refinement, keeping what
// was refined. The four vectors are parallel: different lengths throw
// xc_OCExtractDefs::xc_OCExtractError "Refine error" before anything changes. The recorder and
// flags are not used.
OC_API void xf_RefineArrangement(const xcPelBuffer_const<unsigned char>& image,
                                 const xcPtrHandle_const<xcOCAlphabet>& alphabet,
                                 const std::vector<long>& keys, std::vector<xc_Pose>& poses,
                                 std::vector<xcOCArrangeDefs::CharStatus>& statuses,
                                 std::vector<double>& scores, xcDiagObject* rec,
                                 unsigned long flags);
