// Automatic grey-level threshold of an image region (maximal between-class variance).
#pragma once

#include "core/image/pel_buffer.h"
#include "imgproc/export.h"

// A threshold T in 0..256 that splits grey values into {g < T} and {g >= T}, and a score in
// [0, 1] telling how well it separates them.
class XIMGPROC_API xcThresholdResult {
public:
    xcThresholdResult() = default;
    // Checks as the setters do; throws xcImgProcDefs::BadParams.
    xcThresholdResult(long threshold, double score);

    long threshold() const { return threshold_; }
    // Throws xcImgProcDefs::BadParams outside 0..256.
    void threshold(long v);
    double score() const { return score_; }
    // Throws xcImgProcDefs::BadParams outside [0, 1] (NaN included).
    void score(double v);

    friend bool operator==(const xcThresholdResult&, const xcThresholdResult&) = default;

private:
    long threshold_ = 0;
    double score_ = 0.0;
};

// Chooses the threshold of the window's grey values that minimises the within-group variance,
// which is the one that maximises the between-class variance (Otsu):
//   sigmaB^2(t) = w0 w1 (mu0 - mu1)^2 / N^2 over t in 1..255, classes {g < t} and {g >= t}.
// Among the t whose sigmaB^2 is within a relative 1e-9 of the greatest, T = floor((tmin + tmax) /
// 2), so an image of only 0 and 255 gives T = 128. score = sigmaB^2(T) / total variance.
// A uniform region (one grey value g) has no split: T = g and score 0. A region without pels
// gives T = 0 and score 0. An unbound image throws xcImgProcDefs::BadImage.
XIMGPROC_API xcThresholdResult xfThresholdWGV(const xcPelBuffer_const<unsigned char>& image);

// The same over the pels whose mask value is 128 or more; mask and image are paired by their
// position in their windows (equal sizes, offsets may differ). An unbound mask cares for every
// pel; a bound mask of another size throws xcImgProcDefs::BadImage.
XIMGPROC_API xcThresholdResult xfThresholdWGV(const xcPelBuffer_const<unsigned char>& image,
                                              const xcPelBuffer_const<unsigned char>& mask);
