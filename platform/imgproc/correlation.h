// Normalised grey-level correlation of a model with an image: the model with its sums, the sums
// of one placement, the score, and an exhaustive search over every placement.
#pragma once

#include "core/geom/rect.h"
#include "core/image/pel_buffer.h"
#include "imgproc/export.h"

#include <vector>

struct xc_CorrelationDefs {
    // How xf_corr_score turns sums into a signed 16-bit score. With r the correlation
    // coefficient of model and window over the cared-for pels,
    //   r = (n Sxy - Sx Sy) / sqrt((n Sx2 - Sx^2) (n Sy2 - Sy^2)),
    // and r taken as 0 when either factor under the root is <= 0 (a flat model or window):
    enum ScoreMode : int {
        // round(1000 r^2) when r > 0, else 0: in [0, 1000], a contrast reversal scores 0.
        eCorrelationSquared = 1,
        // round(1000 r), halves away from zero, clamped to [-1000, 1000].
        eCorrelation = 2,
    };
};

// Sums of the image pels under the model at one placement, over the cared-for model pels.
struct xc_CorrWindowSums {
    long long sy = 0;  // sum of grey values
    long long sy2 = 0; // sum of squared grey values
    long long sxy = 0; // sum of model value times grey value
};

// Computes the sums of one placement. `window` points at the image pel under the model's first
// pel and `model` at the model's first pel, each row `windowRowUpdate` and `modelRowUpdate` pels
// after the one above; `care` runs in step with `model` and holds 0xFF for a cared-for pel and 0
// for an ignored one (the function without mask ignores it and may be given null). The model
// values of ignored pels must be 0. The sums overwrite `sums`.
using xf_CorrPointFunc = void (*)(const unsigned char* window, long windowRowUpdate,
                                  const unsigned char* model, const unsigned char* care,
                                  long modelRowUpdate, long width, long height,
                                  xc_CorrWindowSums& sums);

template <class T>
class xc_CorrelationModel;

// A model image with an optional mask, kept as its own copy with its sums over the cared-for
// pels. In the mask 255 marks an ignored pel and every other value a cared-for one; mask and
// model pels are paired by their position in their windows (equal sizes, offsets may differ).
template <>
class XIMGPROC_API xc_CorrelationModel<unsigned char> {
public:
    // An unbound mask means every pel is cared for. An unbound or empty model, or a bound mask
    // of another size, throws xcImgProcDefs::BadImage.
    explicit xc_CorrelationModel(
        const xcPelBuffer_const<unsigned char>& model,
        const xcPelBuffer_const<unsigned char>& mask = xcPelBuffer_const<unsigned char>());

    long width() const { return width_; }
    long height() const { return height_; }
    bool hasMask() const { return !care_.empty(); }
    // n: the number of cared-for pels.
    long nCarePels() const { return n_; }
    // n Sx2 - Sx^2 over the cared-for pels, so variance() / n^2 is their grey-value variance.
    double variance() const;
    // Sx and Sx2: the sum of the cared-for grey values and of their squares.
    void sums(long long& sx, long long& sx2) const {
        sx = sx_;
        sx2 = sx2_;
    }

    // The model's values row by row, rowUpdate() apart, with ignored pels set to 0.
    const unsigned char* pels() const { return pels_.data(); }
    // The care bytes (0xFF cared for, 0 ignored) in step with pels(); null without a mask.
    const unsigned char* care() const { return care_.empty() ? nullptr : care_.data(); }
    long rowUpdate() const { return width_; }
    // The per-placement function that fits this model (with or without mask).
    xf_CorrPointFunc pointFunc() const;

private:
    long width_ = 0, height_ = 0;
    std::vector<unsigned char> pels_;
    std::vector<unsigned char> care_;
    long n_ = 0;
    long long sx_ = 0, sx2_ = 0;
};

// The per-placement function for a model with a mask.
XIMGPROC_API xf_CorrPointFunc xf_correlate_core_get_func_point_mask_U8();
// The per-placement function for a model without a mask.
XIMGPROC_API xf_CorrPointFunc xf_correlate_core_get_func_point_no_mask_U8();

// The score of one placement from the model's count n and sums Sx, Sx2 and the window's sums (see
// xc_CorrelationDefs::ScoreMode). Exact integer arithmetic up to the square root. An unknown mode
// throws xcImgProcDefs::BadParams.
XIMGPROC_API short xf_corr_score(long n, long long sx, long long sx2, long long sy, long long sy2,
                                 long long sxy, xc_CorrelationDefs::ScoreMode mode);

// A score image for searching `searchWindow` with a model of the given size: one entry per
// placement of the model inside the window, (S.w - M.w + 1) x (S.h - M.h + 1), whose window
// starts at the search window's upper-left corner, so the entry at image coordinates (x, y)
// belongs to the placement whose first model pel lies on image pel (x, y). Unbound when either
// size is not positive. A negative model size throws xcImgProcDefs::BadParams.
XIMGPROC_API xcPelBuffer<short> xf_corr_alloc_space(const xcPelRect& searchWindow, long modelWidth,
                                                    long modelHeight);

// The best placement of a search.
struct xc_CorrPeak {
    bool found = false; // false when the model fits nowhere in the image
    long x = 0, y = 0;  // image coordinates of the pel under the model's first pel
    short score = 0;
};

// Correlates the model with the image's window at every placement. `scores` receives the score
// image: an unbound buffer is replaced by a new one from xf_corr_alloc_space, a bound one must
// have that size (else xcImgProcDefs::BadImage, nothing changed) and keeps its window. Returns
// the greatest score and its placement, the first in row-major order among equals. When the
// model is larger than the window there is no placement: `scores` becomes unbound and the peak
// is not found. The sums are exact, so the scores equal those of the per-placement function and
// xf_corr_score at every placement.
XIMGPROC_API xc_CorrPeak xf_correlate_exhaustive(const xcPelBuffer_const<unsigned char>& image,
                                                 const xc_CorrelationModel<unsigned char>& model,
                                                 xc_CorrelationDefs::ScoreMode mode,
                                                 xcPelBuffer<short>& scores);
