#include "corrsearch/detail/search.h"

#include "core/sys/attention.h"
#include "corrsearch/detail/image_cache.h"
#include "corrsearch/detail/subpel.h"
#include "corrsearch/detail/surface.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <functional>
#include <unordered_map>

namespace xc_corrsearch {

namespace {

// The coarse step needs a coarse model of at least this many 2 x 2 sums a side, and enough
// placements to be worth it; below that the full-resolution search is as cheap.
constexpr long kMinCoarseSide = 4;
constexpr long kMinCoarsePlacements = 64;
// How far below the weakest peak in hand a coarse score may lie and still be climbed.
constexpr double kCoarseMargin = 0.2;
// Model-times-pel products between two polls of the time limit: well under a millisecond.
constexpr long kPollProducts = 1L << 21;
// Well above what the score at the finest accuracy gains over the whole-pel score: about 0.1
// for a sharp pattern half a pel from its peak, a little more on noisy images.
constexpr double kRefineMargin = 0.25;

// w x h values (rows `rowUpdate` apart) less their mean, in rows padded with zeros.
template <class T>
std::vector<float> zeroMean(const T* values, long rowUpdate, long w, long h, std::int64_t sum) {
    const double mean = double(sum) / (double(w) * double(h));
    const long stride = paddedModelWidth(w);
    std::vector<float> out(static_cast<std::size_t>(stride * h), 0.0f);
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x)
            out[y * stride + x] = static_cast<float>(double(values[y * rowUpdate + x]) - mean);
    return out;
}

template <class T>
void sums(const T* values, long rowUpdate, long w, long h, std::int64_t& s, std::int64_t& s2) {
    s = 0;
    s2 = 0;
    for (long y = 0; y < h; ++y) {
        for (long x = 0; x < w; ++x) {
            const std::int64_t v = values[y * rowUpdate + x];
            s += v;
            s2 += v * v;
        }
    }
}

// A placement and its score, for candidate lists.
struct Candidate {
    long x = 0, y = 0;
    double score = 0.0;
};

bool better(const Candidate& a, const Candidate& b) {
    if (a.score != b.score) return a.score > b.score;
    if (a.y != b.y) return a.y < b.y;
    return a.x < b.x;
}

// Scores every placement of a zero-mean model on a float plane into `out` (pw x ph, row-major),
// polling the calling thread's time limit after every kPollProducts model-times-pel products.
void floatSurface(const FloatPlane& plane, const Integral& sums, const float* zm, long mw, long mh,
                  double nVarX, std::unique_ptr<float[]>& out, long& pw, long& ph) {
    const long zmStride = paddedModelWidth(mw);
    pw = plane.width - mw + 1;
    ph = plane.height - mh + 1;
    assert(pw > 0 && ph > 0);
    out.reset(new float[static_cast<std::size_t>(pw * ph)]);
    std::vector<float> row(static_cast<std::size_t>((pw + kBlock - 1) / kBlock * kBlock));
    // A row of a large model on a wide image is many milliseconds of work: it is correlated in
    // spans of whole blocks that each stay within the budget.
    const long span = std::max(1L, kPollProducts / (mw * mh * kBlock)) * kBlock;
    for (long y = 0; y < ph; ++y) {
        for (long x = 0; x < pw; x += span) {
            xcAttention::check();
            correlateRow(plane, x, y, zm, zmStride, mw, mh, std::min(span, pw - x), row.data() + x);
        }
        scoreRow(row.data(), sums, y, mw, mh, pw, nVarX, out.get() + y * pw);
    }
}

// The local maxima of a surface with a positive score, best first, at most `keep` of them. A
// plateau yields its first pel in row-major order.
std::vector<Candidate> localMaxima(const float* s, long pw, long ph, long keep) {
    // Three rows with a border of -1 spare the bounds checks.
    const long W = pw + 2;
    std::vector<float> rows(static_cast<std::size_t>(3 * W), -1.0f);
    const auto load = [&](long slot, long y) {
        float* r = rows.data() + slot * W;
        if (y < 0 || y >= ph)
            std::fill(r, r + W, -1.0f);
        else
            std::copy_n(s + y * pw, pw, r + 1);
    };
    std::vector<Candidate> out;
    for (long y = 0; y < ph; ++y) {
        xcAttention::check();
        for (long k = 0; k < 3; ++k) load(k, y - 1 + k);
        const float* up = rows.data() + 1;
        const float* mid = up + W;
        const float* down = mid + W;
        for (long x = 0; x < pw; ++x) {
            const float v = mid[x];
            if (!(v > 0.0f)) continue;
            const float before = std::max({up[x - 1], up[x], up[x + 1], mid[x - 1]});
            const float after = std::max({mid[x + 1], down[x - 1], down[x], down[x + 1]});
            if (v > before && v >= after) out.push_back({x, y, v});
        }
    }
    if (long(out.size()) > keep) {
        std::partial_sort(out.begin(), out.begin() + keep, out.end(), better);
        out.resize(static_cast<std::size_t>(keep));
    } else {
        std::sort(out.begin(), out.end(), better);
    }
    return out;
}

// Scores of single placements at full resolution, each computed once: float sums of the
// zero-mean model times the image (relative error near 1e-6), exact window sums.
class FineScorer {
public:
    FineScorer(const Model& m, const FloatPlane& plane, const Integral& integral)
        : m_(m), plane_(plane), integral_(integral), pw_(plane.width - m.width + 1),
          ph_(plane.height - m.height + 1), n_(double(m.width) * double(m.height)) {}

    long pw() const { return pw_; }
    long ph() const { return ph_; }
    bool inside(long x, long y) const { return x >= 0 && y >= 0 && x < pw_ && y < ph_; }

    double at(long x, long y) {
        assert(inside(x, y));
        const auto [it, isNew] = cache_.try_emplace(y * pw_ + x, 0.0);
        if (isNew) {
            std::int64_t s, s2;
            integral_.windowSums(x, y, m_.width, m_.height, s, s2);
            // Exact: below 2^61 for windows of up to 2^22 pels.
            const std::int64_t nVarY = std::int64_t(m_.width) * m_.height * s2 - s * s;
            const float num = correlateAt(plane_, x, y, m_.zeroMean.data(), m_.width, m_.height);
            it->second = score(n_ * double(num), m_.nVarX, double(nVarY));
        }
        return it->second;
    }

private:
    const Model& m_;
    const FloatPlane& plane_;
    const Integral& integral_;
    long pw_, ph_;
    double n_;
    std::unordered_map<long, double> cache_;
};

// Moves from a placement to its best 8-neighbour while that scores higher; ends on a local
// maximum of the exact scores.
Candidate climb(FineScorer& scorer, long x, long y) {
    x = std::clamp(x, 0L, scorer.pw() - 1);
    y = std::clamp(y, 0L, scorer.ph() - 1);
    double best = scorer.at(x, y);
    // Every step raises the score, so the walk ends; the bound only guards against a cycle
    // through equal floating-point values, which strict increase already rules out.
    for (long step = 0; step < scorer.pw() * scorer.ph(); ++step) {
        // A step scores up to nine placements of the full model.
        xcAttention::check();
        long bx = x, by = y;
        for (long dy = -1; dy <= 1; ++dy) {
            for (long dx = -1; dx <= 1; ++dx) {
                if (!scorer.inside(x + dx, y + dy)) continue;
                const double s = scorer.at(x + dx, y + dy);
                if (s > best) {
                    best = s;
                    bx = x + dx;
                    by = y + dy;
                }
            }
        }
        if (bx == x && by == y) break;
        x = bx;
        y = by;
    }
    return {x, y, best};
}

// Refines a peak to sub-pel position: a quadratic fit to the scores around it, then, for the
// finest accuracy, the gradient fit started there (kept only when it stays near it).
void refine(FineScorer& scorer, const Model& model, const FloatPlane& plane, Peak& p,
            long accuracy) {
    p.fx = double(p.x);
    p.fy = double(p.y);
    if (accuracy <= 1) return;
    const bool xOk = scorer.inside(p.x - 1, p.y) && scorer.inside(p.x + 1, p.y);
    const bool yOk = scorer.inside(p.x, p.y - 1) && scorer.inside(p.x, p.y + 1);
    double f[3][3];
    for (long j = -1; j <= 1; ++j)
        for (long i = -1; i <= 1; ++i)
            f[j + 1][i + 1] = scorer.inside(p.x + i, p.y + j) ? scorer.at(p.x + i, p.y + j) : 0.0;
    xcVector<2> t = quadraticPeakOffset(f, xOk, yOk, accuracy);
    if (accuracy >= 4 && model.gradient && xOk && yOk) {
        xcVector<2> g = t;
        if (gradientRefine(plane, *model.gradient, p.x, p.y, g) && g.distance(t) < 0.5) t = g;
    }
    p.fx += t.x();
    p.fy += t.y();
    // The whole-pel score falls with the distance to the true peak, and by how much depends on
    // the blur of model and image: compared across models (turned and scaled copies of one
    // pattern resampled at differing phases), it picks the model by its phase, not its fit.
    if (accuracy >= 4 && model.smooth)
        smoothScore(plane, *model.smooth, model.width, model.height, p.x, p.y, t, p.score);
}

// Gives the planes back buffer by buffer between polls when this search holds the only
// reference: on a large image they are about a hundred megabytes, and returning them to the
// system at once is a stretch of several milliseconds without a poll.
void releasePlanes(std::shared_ptr<const ImagePlanes>& planes) {
    if (planes.use_count() == 1) {
        // Made non-const by imagePlanes; only the shared view is const.
        auto& p = const_cast<ImagePlanes&>(*planes);
        for (FloatPlane* f : {&p.full, &p.coarse}) {
            xcAttention::check();
            f->pels.reset();
        }
        for (Integral* i : {&p.fullSums, &p.coarseSums}) {
            xcAttention::check();
            i->sum.reset();
            xcAttention::check();
            i->sum2.reset();
        }
    }
    planes.reset();
}

} // namespace

std::shared_ptr<Model> buildModel(const unsigned char* pels, long rowUpdate, long w, long h,
                                  const xcVector<2>& origin) {
    auto m = std::make_shared<Model>();
    m->width = w;
    m->height = h;
    m->origin = origin;
    std::int64_t s, s2;
    sums(pels, rowUpdate, w, h, s, s2);
    const std::int64_t nVar = std::int64_t(w) * h * s2 - s * s;
    if (nVar <= 0) return nullptr;
    m->nVarX = double(nVar);
    m->zeroMean = zeroMean(pels, rowUpdate, w, h, s);
    m->gradient = buildGradientModel(m->zeroMean.data(), paddedModelWidth(w), w, h);
    m->smooth = buildSmoothModel(m->zeroMean.data(), paddedModelWidth(w), w, h);

    const std::unique_ptr<std::uint16_t[]> coarse = sum2x2(pels, rowUpdate, w, h);
    const long cw = w / 2, ch = h / 2;
    if (cw >= kMinCoarseSide && ch >= kMinCoarseSide) {
        std::int64_t cs, cs2;
        sums(coarse.get(), cw, cw, ch, cs, cs2);
        const std::int64_t cVar = std::int64_t(cw) * ch * cs2 - cs * cs;
        if (cVar > 0) {
            m->hasCoarse = true;
            m->coarseWidth = cw;
            m->coarseHeight = ch;
            m->coarseNVarX = double(cVar);
            m->coarseZeroMean = zeroMean(coarse.get(), cw, cw, ch, cs);
        }
    }
    return m;
}

std::vector<Peak> search(const Model& model, const unsigned char* pels, long rowUpdate, long width,
                         long height, const SearchSettings& settings) {
    xcAttention::check();
    std::shared_ptr<const ImagePlanes> planes = imagePlanes(pels, rowUpdate, width, height);
    FineScorer scorer(model, planes->full, planes->fullSums);
    const long pw = scorer.pw(), ph = scorer.ph();
    assert(pw > 0 && ph > 0);
    // Enough candidates that overlap suppression still leaves maxResults distinct finds, and a
    // few spare for peaks the coarse step ranks a little too low.
    const long keep = 8 + 2 * settings.maxResults;

    std::vector<Candidate> starts;
    std::unique_ptr<float[]> surface;
    bool coarse = settings.coarseToFine && model.hasCoarse && pw * ph >= kMinCoarsePlacements;
    if (coarse) {
        long cpw = 0, cph = 0;
        floatSurface(planes->coarse, planes->coarseSums, model.coarseZeroMean.data(),
                     model.coarseWidth, model.coarseHeight, model.coarseNVarX, surface, cpw, cph);
        // Coarse placement (u, v) sums the pels of full placements 2u .. 2u + 1, so the climb
        // from (2u, 2v) reaches the full-resolution peak it stands for.
        starts = localMaxima(surface.get(), cpw, cph, keep);
        for (Candidate& c : starts) {
            c.x *= 2;
            c.y *= 2;
        }
        // Nothing correlates positively on the coarse grid: leave the verdict to the full one.
        coarse = !starts.empty();
    }
    if (!coarse) {
        long fpw = 0, fph = 0;
        floatSurface(planes->full, planes->fullSums, model.zeroMean.data(), model.width,
                     model.height, model.nVarX, surface, fpw, fph);
        starts = localMaxima(surface.get(), fpw, fph, keep);
    }

    // Climb from each start to its full-resolution peak, best start first. Once maxResults
    // peaks are in hand, a start whose coarse score lies well below the weakest of them cannot
    // displace it (coarse and fine scores of one placement differ by far less on blurred
    // print), and neither can the starts after it.
    std::vector<Candidate> ends;
    for (const Candidate& s : starts) {
        xcAttention::check();
        if (coarse && long(ends.size()) >= settings.maxResults) {
            std::vector<double> best;
            for (const Candidate& e : ends) best.push_back(e.score);
            std::nth_element(best.begin(), best.begin() + (settings.maxResults - 1), best.end(),
                             std::greater<double>());
            if (s.score < best[settings.maxResults - 1] - kCoarseMargin) break;
        }
        const Candidate e = climb(scorer, s.x, s.y);
        const bool seen = std::any_of(ends.begin(), ends.end(),
                                      [&](const Candidate& o) { return o.x == e.x && o.y == e.y; });
        if (!seen) ends.push_back(e);
    }
    // The peaks are refined before the best are chosen, as the refined score may reorder them;
    // it exceeds the whole-pel score by less than kRefineMargin, so a peak that far below the
    // maxResults-th best whole-pel score would not make it. A peak must reach accept at its whole
    // pel too: smoothing lifts the chance correlation of noise, and the whole-pel score keeps
    // what counts as found where it was.
    std::sort(ends.begin(), ends.end(), better);
    const double least = long(ends.size()) >= settings.maxResults && settings.accuracy >= 4
                             ? ends[std::size_t(settings.maxResults - 1)].score - kRefineMargin
                             : 0.0;
    std::vector<Peak> peaks;
    for (const Candidate& e : ends) {
        if (e.score < settings.accept || e.score < least) continue;
        xcAttention::check();
        Peak p;
        p.x = e.x;
        p.y = e.y;
        p.score = e.score;
        refine(scorer, model, planes->full, p, settings.accuracy);
        peaks.push_back(p);
    }
    std::sort(peaks.begin(), peaks.end(), [](const Peak& a, const Peak& b) {
        return better({a.x, a.y, a.score}, {b.x, b.y, b.score});
    });

    std::vector<Peak> out;
    const double area = double(model.width) * double(model.height);
    for (const Peak& p : peaks) {
        if (long(out.size()) >= settings.maxResults || p.score < settings.accept) break;
        const bool overlaps = std::any_of(out.begin(), out.end(), [&](const Peak& k) {
            const double ox = double(std::max(0L, model.width - std::abs(k.x - p.x)));
            const double oy = double(std::max(0L, model.height - std::abs(k.y - p.y)));
            return ox * oy / area > settings.xyOverlap;
        });
        if (!overlaps) out.push_back(p);
    }
    // Returning a large image's buffers to the system takes milliseconds each: poll around them.
    xcAttention::check();
    surface.reset();
    xcAttention::check();
    releasePlanes(planes);
    xcAttention::check();
    return out;
}

} // namespace xc_corrsearch
