// The cost of a partial arrangement, or its rejection.
#pragma once

#include "foundation/export.h"
#include "oc/arrange/arrange_context.h"
#include "oc/arrange/arrange_fit.h"
#include "oc/arrange/arrange_path.h"

// Resets `fit`, checks the line structure, the unmatched-character limit, the reuse of a
// candidate and the line limit, fills the match, unmatched and line-break terms, then the
// geometric terms of the line models. Returns false when the path is rejected. isFinal is true
// only for the evaluation of the chosen path: it lifts the unmatched limit and fills the
// per-character vectors.
OC_API bool xf_EvaluateArrangePath_(const xc_ArrangeContext& ctx, const xc_ArrangePath& path,
                                    bool isFinal, xc_ArrangeFit& fit);
