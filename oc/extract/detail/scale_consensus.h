// The scale on which the characters found so far agree.
#pragma once

#include "foundation/export.h"

#include <optional>
#include <vector>

// The observed scales, sorted, must hold minAgree consecutive values whose ratio (last over
// first) is below 1.08; the tightest such window wins (a later one only when strictly tighter)
// and gives the geometric mean of its two ends. Nothing with fewer than minAgree scales or a
// negative one.
OC_API std::optional<double> xf_OCExtractScaleConsensus(const std::vector<double>& observed,
                                                        long minAgree);
