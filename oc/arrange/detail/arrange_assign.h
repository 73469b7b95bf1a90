// The driver's last stages: each character's status, score and pose, and the line
// arrangement built from them.
#pragma once

#include "oc/arrange/arrange_context.h"
#include "oc/arrange/arrange_fit.h"
#include "oc/arrange/arrange_path.h"
#include "oc/arrange/arrange_results.h"

#include <vector>

namespace oc_arrange_detail {

// Matched characters take their candidate's pose (a fully symmetric one the expected angle, a
// 180-degree symmetric one turned by its 180-degree pose when it points more than 90 degrees
// away from the expected angle); unmatched ones on a line of two or more are inferred from the
// line model; the rest are unknown at scale sqrt(start x end) of the scale range. `found` is
// whether the final evaluation accepted the path: without it no line model exists, so nothing
// can be inferred.
void assignPoses(const xc_ArrangeContext& ctx, const xc_ArrangePath& path, const xc_ArrangeFit& fit,
                 bool found, std::vector<xcOCArrangeDefs::CharStatus>& statuses,
                 std::vector<double>& scores, std::vector<xc_Pose>& poses);

// The arrangement in the frame of the first character: line poses relative to the first
// character of the first line, character poses relative to the first character of their line,
// one single-key key set per character; uncertainties from the fit when ctx.params asks for
// them. Writes the results' arrangement and clientFromArrangementXform.
void buildArrangement(const xc_ArrangeContext& ctx, const xcPtrHandle_const<xcOCAlphabet>& alphabet,
                      const xc_ArrangePath& path, const xc_ArrangeFit& fit, bool found,
                      const std::vector<xc_Pose>& finalPoses, xcOCArrangeResults& results);

} // namespace oc_arrange_detail
