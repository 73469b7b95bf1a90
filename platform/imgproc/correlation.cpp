#include "imgproc/correlation.h"

#include "imgproc/detail/hot_kernel.h"
#include "imgproc/imgproc_errors.h"

#include <algorithm>
#include <cmath>

namespace {

__extension__ using i128 = __int128;

// Rows are summed in 32-bit lanes over at most this many pels: 65536 * 255 * 255 < 2^32.
constexpr long kRowChunk = 65536;
// The float accumulator of the fast search stays exact below 2^24: 256 taps * 255 * 255 < 2^24.
constexpr long kTapChunk = 256;

void pointNoMask(const unsigned char* window, long windowRowUpdate, const unsigned char* model,
                 const unsigned char*, long modelRowUpdate, long width, long height,
                 xc_CorrWindowSums& sums) {
    long long sy = 0, sy2 = 0, sxy = 0;
    for (long r = 0; r < height; ++r) {
        const unsigned char* y = window + r * windowRowUpdate;
        const unsigned char* x = model + r * modelRowUpdate;
        for (long c0 = 0; c0 < width; c0 += kRowChunk) {
            const long c1 = std::min(width, c0 + kRowChunk);
            unsigned ry = 0, ry2 = 0, rxy = 0;
            for (long c = c0; c < c1; ++c) {
                const unsigned v = y[c];
                ry += v;
                ry2 += v * v;
                rxy += v * x[c];
            }
            sy += ry;
            sy2 += ry2;
            sxy += rxy;
        }
    }
    sums.sy = sy;
    sums.sy2 = sy2;
    sums.sxy = sxy;
}

void pointMask(const unsigned char* window, long windowRowUpdate, const unsigned char* model,
               const unsigned char* care, long modelRowUpdate, long width, long height,
               xc_CorrWindowSums& sums) {
    long long sy = 0, sy2 = 0, sxy = 0;
    for (long r = 0; r < height; ++r) {
        const unsigned char* y = window + r * windowRowUpdate;
        const unsigned char* x = model + r * modelRowUpdate;
        const unsigned char* k = care + r * modelRowUpdate;
        for (long c0 = 0; c0 < width; c0 += kRowChunk) {
            const long c1 = std::min(width, c0 + kRowChunk);
            unsigned ry = 0, ry2 = 0, rxy = 0;
            for (long c = c0; c < c1; ++c) {
                const unsigned v = y[c] & k[c];
                ry += v;
                ry2 += v * v;
                rxy += v * x[c];
            }
            sy += ry;
            sy2 += ry2;
            sxy += rxy;
        }
    }
    sums.sy = sy;
    sums.sy2 = sy2;
    sums.sxy = sxy;
}

void checkMode(xc_CorrelationDefs::ScoreMode mode) {
    if (mode != xc_CorrelationDefs::eCorrelationSquared && mode != xc_CorrelationDefs::eCorrelation)
        throw xcImgProcDefs::BadParams("Correlation score mode must be 1 or 2");
}

// n s2 - s^2, exact.
i128 spread(long long n, long long s, long long s2) {
    return i128(n) * s2 - i128(s) * s;
}

// The score of placements against one model; xf_corr_score and the searches share it, so every
// path gives the same score for the same sums.
class Scorer {
public:
    Scorer(long n, long long sx, long long sx2, xc_CorrelationDefs::ScoreMode mode)
        : n_(n), sx_(sx), mode_(mode) {
        const i128 vx = spread(n, sx, sx2);
        flat_ = vx <= 0;
        rootVx_ = flat_ ? 0.0 : std::sqrt(double(vx));
    }

    short operator()(long long sy, long long sy2, long long sxy) const {
        if (flat_) return 0;
        const i128 vy = spread(n_, sy, sy2);
        if (vy <= 0) return 0;
        const i128 num = i128(n_) * sxy - i128(sx_) * sy;
        const double r = double(num) / (rootVx_ * std::sqrt(double(vy)));
        double v;
        if (mode_ == xc_CorrelationDefs::eCorrelation) {
            v = std::round(1000.0 * r);
        } else {
            v = r > 0.0 ? std::round(1000.0 * r * r) : 0.0;
        }
        return static_cast<short>(std::clamp(v, -1000.0, 1000.0));
    }

private:
    long n_;
    long long sx_;
    xc_CorrelationDefs::ScoreMode mode_;
    bool flat_ = true;
    double rootVx_ = 0.0;
};

// acc[x] += sum over k < taps of m[k] * f[x + k], for x < count. Every product and partial sum
// is a whole number below 2^24 (at most kTapChunk taps), so the float sums are exact.
XI_HOT_KERNEL
void accumulateTaps(float* __restrict acc, const float* __restrict f,
                    const unsigned char* __restrict m, long taps, long count) {
    long k = 0;
    for (; k + 4 <= taps; k += 4) {
        const float m0 = m[k], m1 = m[k + 1], m2 = m[k + 2], m3 = m[k + 3];
        const float* fk = f + k;
        for (long x = 0; x < count; ++x)
            acc[x] += (m0 * fk[x] + m1 * fk[x + 1]) + (m2 * fk[x + 2] + m3 * fk[x + 3]);
    }
    for (; k < taps; ++k) {
        const float mk = m[k];
        const float* fk = f + k;
        for (long x = 0; x < count; ++x) acc[x] += mk * fk[x];
    }
}

// Without a mask the window sums of all placements come from running column sums (Sy, Sy2) and
// from correlating whole rows at once (Sxy), which touches each image pel once per model pel
// in long vectorisable runs instead of once per placement in short ones.
void searchNoMask(const unsigned char* img, long imgRowUpdate, long imgWidth,
                  const xc_CorrelationModel<unsigned char>& model, const Scorer& score, short* out,
                  long outRowUpdate, long outWidth, long outHeight) {
    const long mw = model.width(), mh = model.height();
    std::vector<float> fimg(size_t(imgWidth) * size_t(outHeight + mh - 1));
    for (long y = 0; y < outHeight + mh - 1; ++y) {
        const unsigned char* src = img + y * imgRowUpdate;
        std::copy(src, src + imgWidth, fimg.begin() + y * imgWidth);
    }
    std::vector<long long> col(imgWidth, 0), col2(imgWidth, 0);
    for (long r = 0; r < mh; ++r) {
        const unsigned char* src = img + r * imgRowUpdate;
        for (long x = 0; x < imgWidth; ++x) {
            col[x] += src[x];
            col2[x] += src[x] * src[x];
        }
    }
    std::vector<float> acc(outWidth);
    std::vector<double> sxy(outWidth);
    for (long oy = 0; oy < outHeight; ++oy) {
        if (oy > 0) {
            const unsigned char* gone = img + (oy - 1) * imgRowUpdate;
            const unsigned char* come = img + (oy + mh - 1) * imgRowUpdate;
            for (long x = 0; x < imgWidth; ++x) {
                col[x] += long(come[x]) - long(gone[x]);
                col2[x] += long(come[x] * come[x]) - long(gone[x] * gone[x]);
            }
        }
        std::fill(sxy.begin(), sxy.end(), 0.0);
        for (long r = 0; r < mh; ++r) {
            const float* frow = fimg.data() + (oy + r) * imgWidth;
            const unsigned char* mrow = model.pels() + r * model.rowUpdate();
            for (long k0 = 0; k0 < mw; k0 += kTapChunk) {
                std::fill(acc.begin(), acc.end(), 0.0f);
                accumulateTaps(acc.data(), frow + k0, mrow + k0, std::min(kTapChunk, mw - k0),
                               outWidth);
                for (long x = 0; x < outWidth; ++x) sxy[x] += acc[x];
            }
        }
        long long sy = 0, sy2 = 0;
        for (long x = 0; x < mw; ++x) {
            sy += col[x];
            sy2 += col2[x];
        }
        short* dst = out + oy * outRowUpdate;
        for (long ox = 0; ox < outWidth; ++ox) {
            if (ox > 0) {
                sy += col[ox + mw - 1] - col[ox - 1];
                sy2 += col2[ox + mw - 1] - col2[ox - 1];
            }
            dst[ox] = score(sy, sy2, static_cast<long long>(sxy[ox]));
        }
    }
}

void searchPerPlacement(const unsigned char* img, long imgRowUpdate,
                        const xc_CorrelationModel<unsigned char>& model, const Scorer& score,
                        short* out, long outRowUpdate, long outWidth, long outHeight) {
    const xf_CorrPointFunc func = model.pointFunc();
    xc_CorrWindowSums s;
    for (long oy = 0; oy < outHeight; ++oy) {
        for (long ox = 0; ox < outWidth; ++ox) {
            func(img + oy * imgRowUpdate + ox, imgRowUpdate, model.pels(), model.care(),
                 model.rowUpdate(), model.width(), model.height(), s);
            out[oy * outRowUpdate + ox] = score(s.sy, s.sy2, s.sxy);
        }
    }
}

} // namespace

xc_CorrelationModel<unsigned char>::xc_CorrelationModel(
    const xcPelBuffer_const<unsigned char>& model, const xcPelBuffer_const<unsigned char>& mask) {
    if (!model.isBound()) throw xcImgProcDefs::BadImage("Correlation model image must be bound");
    const long w = model.width(), h = model.height();
    if (w <= 0 || h <= 0)
        throw xcImgProcDefs::BadImage("Correlation model must have at least one pel");
    if (mask.isBound() && (mask.width() != w || mask.height() != h))
        throw xcImgProcDefs::BadImage("Correlation mask must have the size of the model");
    width_ = w;
    height_ = h;
    pels_.resize(size_t(w) * size_t(h));
    if (mask.isBound()) care_.resize(pels_.size());
    for (long y = 0; y < h; ++y) {
        const unsigned char* src = model.pointToPel(0, y);
        unsigned char* dst = pels_.data() + y * w;
        if (!mask.isBound()) {
            std::copy(src, src + w, dst);
            continue;
        }
        const unsigned char* m = mask.pointToPel(0, y);
        unsigned char* k = care_.data() + y * w;
        for (long x = 0; x < w; ++x) {
            k[x] = m[x] == 255 ? 0 : 0xFF;
            dst[x] = src[x] & k[x];
        }
    }
    for (size_t i = 0; i < pels_.size(); ++i) {
        if (!care_.empty() && care_[i] == 0) continue;
        ++n_;
        sx_ += pels_[i];
        sx2_ += long(pels_[i]) * pels_[i];
    }
}

double xc_CorrelationModel<unsigned char>::variance() const {
    return double(spread(n_, sx_, sx2_));
}

xf_CorrPointFunc xc_CorrelationModel<unsigned char>::pointFunc() const {
    return hasMask() ? &pointMask : &pointNoMask;
}

xf_CorrPointFunc xf_correlate_core_get_func_point_mask_U8() {
    return &pointMask;
}

xf_CorrPointFunc xf_correlate_core_get_func_point_no_mask_U8() {
    return &pointNoMask;
}

short xf_corr_score(long n, long long sx, long long sx2, long long sy, long long sy2, long long sxy,
                    xc_CorrelationDefs::ScoreMode mode) {
    checkMode(mode);
    return Scorer(n, sx, sx2, mode)(sy, sy2, sxy);
}

xcPelBuffer<short> xf_corr_alloc_space(const xcPelRect& searchWindow, long modelWidth,
                                       long modelHeight) {
    if (modelWidth < 0 || modelHeight < 0)
        throw xcImgProcDefs::BadParams("Correlation model size must be >= 0");
    const long w = searchWindow.width() - modelWidth + 1;
    const long h = searchWindow.height() - modelHeight + 1;
    if (w <= 0 || h <= 0) return xcPelBuffer<short>();
    return xcPelBuffer<short>(xcPelRect(searchWindow.x(), searchWindow.y(), w, h));
}

xc_CorrPeak xf_correlate_exhaustive(const xcPelBuffer_const<unsigned char>& image,
                                    const xc_CorrelationModel<unsigned char>& model,
                                    xc_CorrelationDefs::ScoreMode mode,
                                    xcPelBuffer<short>& scores) {
    checkMode(mode);
    if (!image.isBound()) throw xcImgProcDefs::BadImage("Correlation image must be bound");
    const xcPelRect win = image.window();
    const long outWidth = win.width() - model.width() + 1;
    const long outHeight = win.height() - model.height() + 1;
    if (outWidth <= 0 || outHeight <= 0) {
        scores.setUnbound();
        return xc_CorrPeak();
    }
    if (scores.isBound() && (scores.width() != outWidth || scores.height() != outHeight))
        throw xcImgProcDefs::BadImage("Correlation score image must have one entry per placement");
    if (!scores.isBound()) scores = xf_corr_alloc_space(win, model.width(), model.height());

    long long sx = 0, sx2 = 0;
    model.sums(sx, sx2);
    const Scorer score(model.nCarePels(), sx, sx2, mode);
    const unsigned char* img = image.pointToPel(0, 0);
    short* out = scores.pointToPel(0, 0);
    if (model.hasMask()) {
        searchPerPlacement(img, image.rowUpdate(), model, score, out, scores.rowUpdate(), outWidth,
                           outHeight);
    } else {
        searchNoMask(img, image.rowUpdate(), win.width(), model, score, out, scores.rowUpdate(),
                     outWidth, outHeight);
    }

    xc_CorrPeak peak;
    peak.found = true;
    peak.score = out[0];
    peak.x = win.x();
    peak.y = win.y();
    for (long oy = 0; oy < outHeight; ++oy) {
        const short* row = out + oy * scores.rowUpdate();
        for (long ox = 0; ox < outWidth; ++ox) {
            if (row[ox] > peak.score) {
                peak.score = row[ox];
                peak.x = win.x() + ox;
                peak.y = win.y() + oy;
            }
        }
    }
    return peak;
}
