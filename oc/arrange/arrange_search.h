// The best-first search for the cheapest complete arrangement.
#pragma once

#include "foundation/export.h"
#include "oc/arrange/arrange_context.h"
#include "oc/arrange/arrange_path.h"

// Expands partial arrangements in order of total cost, each character in key order continuing
// the current line with a compatible candidate, starting a new line, or staying unmatched, until
// the cheapest path is complete, the queue holds maxCandidates entries or empties. Polls the
// caller's time limit (xcAttention::check) on iterations 1-7, 16-23, 32-39, ... Returns true
// when bestPath is a complete arrangement found by the search; otherwise the deepest cheapest
// path is completed with unmatched single-character lines. bestPath always has one entry per
// expected character.
OC_API bool xf_ArrangeSearch_(const xc_ArrangeContext& ctx, xc_ArrangePath& bestPath);
