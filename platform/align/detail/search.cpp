#include "align/detail/search.h"

#include "align/detail/grain.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace xc_align {

namespace {

// Coarse peaks scoring below this share of the best possible response are not refined.
constexpr double kCoarseMin = 0.4;
// A candidate whose correlation on the first fitted level falls this far below the accept
// threshold is dropped before the full-resolution fit (coarse levels correlate better than full
// resolution, so such a candidate would not be accepted).
constexpr double kEarlyMargin = 0.15;
// A candidate whose coarse-level correlation times direction score is below this share of the
// accept threshold is dropped at once.
constexpr double kEarlyShare = 0.6;
// A hypothesis whose first correlation falls this far below a result already found at its place
// is not refined.
constexpr double kDominated = 0.2;
constexpr double kDominatedAngle = 30.0 * std::numbers::pi / 180.0;
// Two poses of one place whose scores differ by less than this, and whose distances from the
// middle of the angle zone differ by more than kTieAngle, are a tie.
constexpr double kTieScore = 0.02;
constexpr double kTieAngle = 90.0 * std::numbers::pi / 180.0;
// When more results are found than asked for, a result's rank is its score less this much per
// half turn away from the middle of the angle zone: of look-alikes that score about the same (a
// 9 and a 6 turned by half a turn), the ones standing nearer upright are kept.
constexpr double kRankTilt = 0.01;
// Gauss-Newton iterations per level: the coarse levels hand over a start within a fraction of a
// pel, from where three steps reach the accuracy the results need.
constexpr int kFitIterations = 3;
// A small pattern is searched on full resolution, where the fit starts from a grid pose, up to
// a grid step off in angle and scale (a pel or more at the pattern's rim), and is at once the
// final fit: with three clamped steps its score fell short of the true pose's by up to 0.01.
// It may take this many (a fit that has converged stops early).
constexpr int kFullResolutionFitIterations = 8;
// Two results whose anchors lie this close (pels) at nearly the same angle are one instance,
// whatever the overlap limit.
constexpr double kSamePlace = 2.0;
constexpr double kSameAngle = 5.0 * std::numbers::pi / 180.0;

// The signed area of a polygon (shoelace formula).
double polygonArea(const double* x, const double* y, std::size_t n) {
    double a = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t j = (i + 1) % n;
        a += x[i] * y[j] - x[j] * y[i];
    }
    return 0.5 * a;
}

double wrapNear(double a, double centre) {
    const double twoPi = 2 * std::numbers::pi;
    return a - twoPi * std::round((a - centre) / twoPi);
}

void placedQuad(const Model& m, const Frame& frame, const Hypothesis& h, Quad& q) {
    const Mat2 A = frame.A(h.theta, h.scale);
    const double hw = 0.5 * double(m.width), hh = 0.5 * double(m.height);
    const double sx[4] = {-hw, hw, hw, -hw}, sy[4] = {-hh, -hh, hh, hh};
    for (int i = 0; i < 4; ++i) {
        q.x[i] = A.a * sx[i] + A.b * sy[i] + h.x;
        q.y[i] = A.c * sx[i] + A.d * sy[i] + h.y;
    }
}

class Collector {
public:
    explicit Collector(const RunSettings& s) : s_(s) {}

    void offer(const Found& f) {
        std::vector<Found> next;
        for (const Found& k : kept_) {
            if (same(f, k)) {
                if (!better(f, k)) return;
                continue; // f replaces k
            }
            next.push_back(k);
        }
        next.push_back(f);
        std::stable_sort(next.begin(), next.end(),
                         [this](const Found& a, const Found& b) { return rank(a) > rank(b); });
        if (long(next.size()) > s_.numToFind) next.resize(std::size_t(s_.numToFind));
        kept_.swap(next);
    }

    // The best score among kept results at nearly the same angle that the placed window would
    // be merged with (-1 when none). Results at other angles do not count: the turned pose of a
    // nearly symmetric glyph must not keep its upright pose from being refined.
    double bestOverlapping(const Hypothesis& h, const Quad& quad) const {
        double best = -1;
        for (const Found& k : kept_) {
            if (std::fabs(wrapNear(k.h.theta - h.theta, 0.0)) > kDominatedAngle) continue;
            Found probe;
            probe.h = h;
            probe.quad = quad;
            if (same(probe, k)) best = std::max(best, k.score);
        }
        return best;
    }

    // The accepted results, best score first (the first kept one when none is accepted).
    std::vector<Found> published() const {
        std::vector<Found> out;
        for (const Found& k : kept_)
            if (k.accepted) out.push_back(k);
        if (out.empty() && !kept_.empty()) out.push_back(kept_.front());
        std::stable_sort(out.begin(), out.end(),
                         [](const Found& a, const Found& b) { return a.score > b.score; });
        return out;
    }

private:
    double fromMiddle(const Found& a) const {
        const double mid = 0.5 * (s_.zones.angleLow + s_.zones.angleHigh);
        return std::fabs(wrapNear(a.h.theta - mid, 0.0));
    }

    double rank(const Found& a) const {
        return a.score - kRankTilt * fromMiddle(a) / std::numbers::pi;
    }

    // Whether a should replace b at the same place: the higher score, but a glyph that matches
    // about equally well turned by half a turn (N, S, Z) is reported at the pose nearer the
    // middle of the angle zone, so that upright print is reported upright.
    bool better(const Found& a, const Found& b) const {
        const double da = fromMiddle(a), db = fromMiddle(b);
        if (std::fabs(a.score - b.score) < kTieScore && std::fabs(da - db) > kTieAngle)
            return da < db;
        return a.score > b.score;
    }

    bool same(const Found& a, const Found& b) const {
        if (std::hypot(a.h.x - b.h.x, a.h.y - b.h.y) < kSamePlace &&
            std::fabs(wrapNear(a.h.theta - b.h.theta, 0.0)) < kSameAngle)
            return true;
        return quadOverlap(a.quad, b.quad) > s_.xyOverlap;
    }

    const RunSettings& s_;
    std::vector<Found> kept_;
};

// Puts the angle into the zone's terms: within [low, low + 2 pi) for a whole circle, nearest
// the zone otherwise. Returns false when it lies outside a partial zone (after clamping it).
bool intoZone(const Zones& z, double& theta) {
    if (!z.angleFree) return true;
    const double mid = 0.5 * (z.angleLow + z.angleHigh);
    theta = wrapNear(theta, mid);
    if (z.fullCircle()) {
        if (theta < z.angleLow) theta += 2 * std::numbers::pi;
        if (theta >= z.angleLow + 2 * std::numbers::pi) theta -= 2 * std::numbers::pi;
        return true;
    }
    if (theta < z.angleLow || theta > z.angleHigh) {
        theta = std::clamp(theta, z.angleLow, z.angleHigh);
        return false;
    }
    return true;
}

// Print scoring below this at full resolution may be dot-matrix print.
constexpr double kGrainBelow = 0.8;
// Dotted print shows fewer than this share of the trained edges at full resolution (the
// outlines of its single dots point every way) and a dot signature from kDotted up (solid print
// of the development set stays below it).
constexpr double kDottedEdges = 0.8;
constexpr double kDotted = 0.22;
// The dotted score replaces the full-resolution one only when it is this much higher.
constexpr double kGrainGain = 0.08;

// The score of dotted print: the full-resolution grey correlation, which the dots of the right
// glyph, lying on its strokes, keep fairly high and which tells glyphs apart as on solid print,
// times the share inside, times the share of trained edges met where the dots have merged.
double dottedScore(const Model& m, const RunImage& img, const Frame& frame, int level,
                   const Hypothesis& h, double gain, const Evaluation& ev) {
    return std::max(0.0, ev.ncc) * ev.inside * grainEdges(m, img.raw(level), level, frame, h, gain);
}

// The grain level to score the print at the pose on when it may be dotted and could score
// `needed` there, else 0.
int dottedLevel(const Model& m, const RunImage& img, const Frame& frame, const Hypothesis& h,
                double gain, const Evaluation& ev, double needed) {
    if (ev.edges >= kDottedEdges || std::max(0.0, ev.ncc) * ev.inside < needed) return 0;
    const int level = grainLevel(m, frame, h.scale, img.numLevels());
    if (level == 0 || dotSignature(m, img.fit(0), frame, h, gain) < kDotted) return 0;
    return level;
}

// Dot-matrix print scored where its dots merge. The pose is fitted again from the grain level
// down (starting where the solid glyph's template lies over the merged dots) and, from the better
// of that and the first pose, to the ridges of the image smoothed to the grain. The print counts
// as dotted when one of these poses earns a dotted score kGrainGain above the full-resolution
// score; the centre-line pose is then reported with its own dotted score (the grey fits follow
// the dots' outlines and turn by a few degrees where the dots fall unevenly along a stroke),
// else the better of the other two.
void scoreDotted(const Model& m, const RunImage& img, const Frame& frame, const RunSettings& s,
                 const FreeDofs& dofs, const FitState& st, Found& f) {
    const int level = dottedLevel(m, img, frame, f.h, f.gain, f.ev, f.score + kGrainGain);
    if (level == 0) return;
    // The dotted verdict on a pose; false when it leaves the zones or shows too little.
    auto judge = [&](const Hypothesis& h, double gain, Found& out) {
        Hypothesis z = h;
        if (!intoZone(s.zones, z.theta) ||
            (dofs.scale && (z.scale < s.zones.scaleLow || z.scale > s.zones.scaleHigh)))
            return false;
        out.h = z;
        out.gain = gain;
        out.ev = evaluate(m, img.raw(0), frame, z, gain);
        out.score = dottedScore(m, img, frame, level, z, gain, out.ev);
        return out.ev.cared >= 10 && out.ev.contrast >= s.contrastThreshold;
    };
    Found best = f;
    best.score = dottedScore(m, img, frame, level, f.h, f.gain, f.ev);
    FitState g = st;
    bool ok = true;
    for (int k = level; k >= 0 && ok; --k) {
        g.photometricReady = false;
        ok = fitLevel(m.levels[std::size_t(k)], img.fit(k), k, frame, dofs, kFitIterations, g,
                      nullptr);
    }
    Found refit;
    if (ok && judge(g.h, g.gain, refit) && refit.score > best.score) best = refit;
    double evidence = best.score;
    FitState c = st;
    c.h = best.h;
    Found centred;
    if (fitCentreLines(m, img, frame, dofs, c.h, best.gain) &&
        startFit(m.levels.front(), img.fit(0), 0, frame, c) > -2 && judge(c.h, c.gain, centred)) {
        evidence = std::max(evidence, centred.score);
        best = centred;
    }
    if (evidence < f.score + kGrainGain) return;
    f.h = best.h;
    f.gain = best.gain;
    f.ev = best.ev;
    f.score = best.score;
}

// Refines one candidate. With earlyReject a candidate whose first fitted level correlates
// poorly is dropped (its correlation goes to *firstNcc) before the costly full-resolution fit.
std::optional<Found> refine(const Model& m, const RunImage& img, const Frame& frame,
                            const RunSettings& s, const Candidate& c, bool earlyReject,
                            double* firstNcc, const Collector& found,
                            const std::function<void()>& poll) {
    FreeDofs dofs{s.zones.angleFree, s.zones.scaleFree && s.zones.scaleHigh > s.zones.scaleLow};
    const int level = c.grid.level;
    Hypothesis h = c.h;
    const double dscore = localSearch(m.levels[std::size_t(level)], *img.edges(level, poll), level,
                                      frame, dofs, c.grid.angleHalf, c.grid.logScaleHalf, h);

    FitState st;
    st.h = h;
    const double ncc0 = startFit(m.levels[std::size_t(level)], img.fit(level), level, frame, st);
    if (earlyReject && ncc0 * dscore < kEarlyShare * s.acceptThreshold) {
        // Correlation and direction agreement on the coarse level both weak: the final score,
        // which multiplies the two at full resolution, would stay low.
        if (firstNcc) *firstNcc = ncc0;
        return std::nullopt;
    }
    if (earlyReject) {
        // A hypothesis where a result already stands, correlating far worse than it, would
        // only lose to it.
        Quad quad;
        placedQuad(m, frame, st.h, quad);
        if (ncc0 < found.bestOverlapping(st.h, quad) - kDominated) {
            if (firstNcc) *firstNcc = ncc0;
            return std::nullopt;
        }
    }
    for (int k = level; k >= 0; --k) {
        double ncc = 0;
        if (k == 0 && level > 0 && earlyReject) {
            // The full-resolution verdict at the pose handed down: the coarse fits leave it
            // within a fraction of a pel, where the final score changes little, so a candidate
            // well below the accept threshold here is not worth the full-resolution fit.
            const Evaluation ev = evaluate(m, img.raw(0), frame, st.h, st.gain, true);
            // Dot-matrix print shows few of its edges here; it goes on when its dotted score
            // could pass.
            const double low = s.acceptThreshold - kEarlyMargin;
            if (std::max(0.0, ev.ncc) * ev.inside * ev.edges < low) {
                const int grain = dottedLevel(m, img, frame, st.h, st.gain, ev, low);
                if (grain == 0 || dottedScore(m, img, frame, grain, st.h, st.gain, ev) < low)
                    return std::nullopt;
            }
            startFit(m.levels.front(), img.fit(0), 0, frame, st);
        }
        if (!fitLevel(m.levels[std::size_t(k)], img.fit(k), k, frame, dofs,
                      level == 0 ? kFullResolutionFitIterations : kFitIterations, st, &ncc))
            return std::nullopt;
        if (k == level && firstNcc) *firstNcc = ncc;
        if (earlyReject && k == level && k > 0 && ncc < s.acceptThreshold - kEarlyMargin)
            return std::nullopt;
    }

    // A fit that left its zone is clamped to the zone and fitted again with that freedom held.
    bool refit = false;
    if (!intoZone(s.zones, st.h.theta)) {
        dofs.angle = false;
        refit = true;
    }
    if (dofs.scale && (st.h.scale < s.zones.scaleLow || st.h.scale > s.zones.scaleHigh)) {
        st.h.scale = std::clamp(st.h.scale, s.zones.scaleLow, s.zones.scaleHigh);
        dofs.scale = false;
        refit = true;
    }
    if (refit && !fitLevel(m.levels.front(), img.fit(0), 0, frame, dofs, 6, st, nullptr))
        return std::nullopt;

    Found f;
    f.h = st.h;
    f.gain = st.gain;
    f.ev = evaluate(m, img.raw(0), frame, st.h, st.gain);
    if (f.ev.cared < 10 || f.ev.contrast < s.contrastThreshold) return std::nullopt;
    // The grey correlation (pels outside the image count as mismatches) times the share of the
    // pattern's edges that the image shows in place: both must agree for a high score, which
    // keeps similar glyphs ('8' and 'B') apart.
    f.score = std::max(0.0, f.ev.ncc) * f.ev.inside * f.ev.edges;
    if (f.score < kGrainBelow) scoreDotted(m, img, frame, s, dofs, st, f);
    if (s.scoreUsingClutter) f.score = std::max(0.0, f.score - f.ev.clutter);
    f.score = std::clamp(f.score, 0.0, 1.0);
    f.accepted = f.score >= s.acceptThreshold;
    placedQuad(m, frame, f.h, f.quad);
    return f;
}

} // namespace

double quadOverlap(const Quad& a, const Quad& b) {
    // Sutherland-Hodgman: a clipped by each edge of b (both convex and wound the same way;
    // a mirrored placement reverses the winding, which the sign of b's area corrects).
    // Windows whose bounding boxes do not meet (most pairs) cannot overlap.
    if (*std::max_element(a.x, a.x + 4) <= *std::min_element(b.x, b.x + 4) ||
        *std::max_element(b.x, b.x + 4) <= *std::min_element(a.x, a.x + 4) ||
        *std::max_element(a.y, a.y + 4) <= *std::min_element(b.y, b.y + 4) ||
        *std::max_element(b.y, b.y + 4) <= *std::min_element(a.y, a.y + 4))
        return 0.0;
    // A convex quadrilateral clipped by four half-planes keeps at most 8 corners.
    double px[8], py[8], qx[8], qy[8];
    std::size_t n = 4;
    std::copy(a.x, a.x + 4, px);
    std::copy(a.y, a.y + 4, py);
    const double orient = polygonArea(b.x, b.y, 4) >= 0 ? 1.0 : -1.0;
    for (int e = 0; e < 4 && n > 0; ++e) {
        const double ex = b.x[e], ey = b.y[e];
        const double dx = b.x[(e + 1) % 4] - ex, dy = b.y[(e + 1) % 4] - ey;
        auto side = [&](double x, double y) { return orient * (dx * (y - ey) - dy * (x - ex)); };
        std::size_t m = 0;
        for (std::size_t i = 0; i < n && m + 2 <= 8; ++i) {
            const std::size_t j = (i + 1) % n;
            const double si = side(px[i], py[i]), sj = side(px[j], py[j]);
            if (si >= 0) {
                qx[m] = px[i];
                qy[m++] = py[i];
            }
            if ((si >= 0) != (sj >= 0)) {
                const double t = si / (si - sj);
                qx[m] = px[i] + t * (px[j] - px[i]);
                qy[m++] = py[i] + t * (py[j] - py[i]);
            }
        }
        n = m;
        std::copy(qx, qx + n, px);
        std::copy(qy, qy + n, py);
    }
    const double inter = n < 3 ? 0.0 : std::fabs(polygonArea(px, py, n));
    const double smaller =
        std::min(std::fabs(polygonArea(a.x, a.y, 4)), std::fabs(polygonArea(b.x, b.y, 4)));
    return smaller > 0 ? inter / smaller : 0.0;
}

void runSearch(const Model& m, const RunImage& img, const Frame& frame, const RunSettings& s,
               const std::function<void(const std::vector<Found>&)>& publish,
               const std::function<void()>& poll) {
    poll();
    int runLevels = 1;
    while (runLevels < img.numLevels() && img.grey(runLevels).width >= 8 &&
           img.grey(runLevels).height >= 8)
        ++runLevels;
    const std::vector<GridPose> grid = buildGrid(m, frame, s.zones, runLevels);
    const std::size_t maxCandidates = std::size_t(std::clamp(s.numToFind + 8, 12L, 400L));
    const std::vector<Candidate> cands =
        coarseSearch(m, img, frame, grid, kCoarseMin, maxCandidates, poll);
    img.prepareFit(poll);
    Collector results(s);
    // The candidate dropped early with the best correlation: refined fully when nothing else
    // comes through, so that a run reports its best guess.
    const Candidate* bestDropped = nullptr;
    double bestDroppedNcc = -2;
    bool any = false;
    for (const Candidate& c : cands) {
        poll();
        double ncc = -2;
        if (const std::optional<Found> f = refine(m, img, frame, s, c, true, &ncc, results, poll)) {
            any = true;
            results.offer(*f);
            publish(results.published());
        } else if (ncc > bestDroppedNcc) {
            bestDroppedNcc = ncc;
            bestDropped = &c;
        }
    }
    if (!any && bestDropped) {
        poll();
        if (const std::optional<Found> f =
                refine(m, img, frame, s, *bestDropped, false, nullptr, results, poll)) {
            results.offer(*f);
            publish(results.published());
        }
    }
}

} // namespace xc_align
