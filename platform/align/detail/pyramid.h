// Image pyramids: each level halves the one below it with a [1 3 3 1] / 8 filter per axis.
#pragma once

#include "align/detail/raw_image.h"

#include <functional>
#include <vector>

namespace xc_align {

// Level k + 1 pel i covers level k pels 2i and 2i + 1, so edge coordinates scale by exactly 2
// between levels: a point at x on level k + 1 lies at 2x on level k. Borders are replicated.
// The result is floor(w / 2) x floor(h / 2); a source narrower or lower than 2 gives an empty
// plane.
GreyPlane halve(
    const GreyView& src, const std::function<void()>& poll = [] {});

// Levels 0 .. numLevels - 1, level 0 a copy of src; stops early when a level would be empty.
// poll() is called after every band of rows (the caller's time limit).
std::vector<GreyPlane> buildPyramid(const GreyView& src, int numLevels,
                                    const std::function<void()>& poll);

// A mask level: a pel is cared for (255) when the [1 3 3 1] / 8 average of the level below
// is at least 128, else 0.
GreyPlane halveMask(const GreyView& src);

// The [1 2 1] / 4 filter along both axes (about a Gaussian of 0.7 pel), borders replicated,
// rounded to 8 bits.
GreyPlane smooth121(
    const GreyView& src, const std::function<void()>& poll = [] {});

} // namespace xc_align
