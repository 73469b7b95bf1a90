#include "oc/imageutil/blankness.h"

#include "core/geom/affine_rect.h"
#include "core/image/affine_sampling.h"
#include "core/image/pel_ops.h"
#include "foundation/oc_defs.h"
#include "imgproc/correlation.h"
#include "oc/imageutil/affine_clip.h"

#include <cstdlib>

namespace {

using Image = xcPelBuffer<unsigned char>;
using ConstImage = xcPelBuffer_const<unsigned char>;

constexpr long kMargin = 2;

// The window shrunk by the margin on every side.
xcPelRect middle(const xcPelRect& w) {
    return w.trim(kMargin, kMargin, kMargin, kMargin, false);
}

} // namespace

double xfScoreBlankness(const ConstImage& image, const ConstImage& imageMask,
                        const xcXform<2>& xform, const ConstImage& modelImage,
                        const xcPelRect& rect, const ConstImage& modelMask) {
    if (rect.width() > 32767 || rect.height() > 32767)
        throw xcOCDefs::BadParams("The rectangle is too large to sample.");
    if (modelMask.isBound() && !modelMask.window().contains(rect))
        throw xcOCDefs::BadParams("The model mask must contain the rectangle.");
    if (rect.width() < 2 * kMargin + 1 || rect.height() < 2 * kMargin + 1) return 1.0;

    // Sampling.
    const xcXform<2> toImageClient = xform * modelImage.clientFromImage();
    const xcAffineRectangle area(toImageClient.mapPoint(rect.ul()),
                                 toImageClient.mapPoint(rect.ur()),
                                 toImageClient.mapPoint(rect.ll()));
    const xcAffineSamplingParams params(area, static_cast<short>(rect.width()),
                                        static_cast<short>(rect.height()),
                                        xcAffineSamplingParams::Interpolation(2));
    Image sample, sampleMask;
    xfAffineTransformWithClipping(image, imageMask, params, sample, sampleMask);

    ConstImage care;
    if (modelMask.isBound()) {
        ConstImage part = modelMask;
        part.window(rect);
        if (sampleMask.isBound()) {
            Image both;
            xfPelMin(sampleMask, part, both);
            care = both;
        } else {
            care = part;
        }
    } else {
        care = sampleMask;
    }

    // Scoring: the middle of the sample against the whole sample.
    ConstImage model = sample;
    model.window(middle(sample.window()));
    model.offset(xcPelPoint(0, 0));
    Image ignore;
    if (care.isBound()) {
        ConstImage careMiddle = care;
        careMiddle.window(middle(care.window()));
        unsigned char table[256];
        for (int i = 0; i < 256; ++i) table[i] = i < 128 ? 255 : 0;
        xfPelMap(careMiddle, table, ignore);
    }
    const xc_CorrelationModel<unsigned char> corr(model, ignore);
    const long n = corr.nCarePels();
    if (n == 0) return 1.0;
    if (corr.variance() / (double(n) * double(n)) <= 1.0) return 0.0;

    xcPelBuffer<short> scores = xf_corr_alloc_space(sample.window(), corr.width(), corr.height());
    if (!scores.isBound() || scores.width() == 0 || scores.height() == 0) return 1.0;
    const xf_CorrPointFunc sumsOf = corr.hasMask() ? xf_correlate_core_get_func_point_mask_U8()
                                                   : xf_correlate_core_get_func_point_no_mask_U8();
    long long sx = 0, sx2 = 0;
    corr.sums(sx, sx2);
    long long total = 0;
    xc_CorrWindowSums s;
    for (long y = 0; y < scores.height(); ++y) {
        for (long x = 0; x < scores.width(); ++x) {
            sumsOf(sample.pointToPel(x, y), sample.rowUpdate(), corr.pels(), corr.care(),
                   corr.rowUpdate(), corr.width(), corr.height(), s);
            const short score =
                xf_corr_score(n, sx, sx2, s.sy, s.sy2, s.sxy, xc_CorrelationDefs::eCorrelation);
            *scores.pointToPel(x, y) = score;
            total += std::abs(score);
        }
    }
    return double(total) / (double(scores.width()) * double(scores.height()));
}
