#include "align/detail/search.h"

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
// Gauss-Newton iterations per level: the coarse levels hand over a start within a fraction of a
// pel, from where three steps reach the accuracy the results need.
constexpr int kFitIterations = 3;
// Two results whose anchors lie this close (pels) at nearly the same angle are one instance,
// whatever the overlap limit.
constexpr double kSamePlace = 2.0;
constexpr double kSameAngle = 5.0 * std::numbers::pi / 180.0;

double wrapNear(double a, double centre) {
    const double twoPi = 2 * std::numbers::pi;
    return a - twoPi * std::round((a - centre) / twoPi);
}

void placedBox(const Model& m, const Frame& frame, const Hypothesis& h, double box[4]) {
    const Mat2 A = frame.A(h.theta, h.scale);
    const double hw = 0.5 * double(m.width), hh = 0.5 * double(m.height);
    box[0] = box[1] = 1e300;
    box[2] = box[3] = -1e300;
    for (double sx : {-hw, hw})
        for (double sy : {-hh, hh}) {
            const double x = A.a * sx + A.b * sy + h.x, y = A.c * sx + A.d * sy + h.y;
            box[0] = std::min(box[0], x);
            box[1] = std::min(box[1], y);
            box[2] = std::max(box[2], x);
            box[3] = std::max(box[3], y);
        }
}

class Collector {
public:
    explicit Collector(const RunSettings& s) : s_(s) {}

    void offer(const Found& f) {
        std::vector<Found> next;
        for (const Found& k : kept_) {
            if (same(f, k)) {
                if (k.score >= f.score) return;
                continue; // f replaces k
            }
            next.push_back(k);
        }
        next.push_back(f);
        std::stable_sort(next.begin(), next.end(),
                         [](const Found& a, const Found& b) { return a.score > b.score; });
        if (long(next.size()) > s_.numToFind) next.resize(std::size_t(s_.numToFind));
        kept_.swap(next);
    }

    // The best score among kept results that the box would be merged with (-1 when none).
    double bestOverlapping(const Hypothesis& h, const double box[4]) const {
        double best = -1;
        for (const Found& k : kept_) {
            Found probe;
            probe.h = h;
            std::copy(box, box + 4, probe.box);
            if (same(probe, k)) best = std::max(best, k.score);
        }
        return best;
    }

    std::vector<Found> published() const {
        std::vector<Found> out;
        for (const Found& k : kept_)
            if (k.accepted) out.push_back(k);
        if (out.empty() && !kept_.empty()) out.push_back(kept_.front());
        return out;
    }

private:
    bool same(const Found& a, const Found& b) const {
        if (std::hypot(a.h.x - b.h.x, a.h.y - b.h.y) < kSamePlace &&
            std::fabs(wrapNear(a.h.theta - b.h.theta, 0.0)) < kSameAngle)
            return true;
        return boxOverlap(a.box, b.box) > s_.xyOverlap;
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

// Refines one candidate. With earlyReject a candidate whose first fitted level correlates
// poorly is dropped (its correlation goes to *firstNcc) before the costly full-resolution fit.
std::optional<Found> refine(const Model& m, const RunImage& img, const Frame& frame,
                            const RunSettings& s, const Candidate& c, bool earlyReject,
                            double* firstNcc, const Collector& found) {
    FreeDofs dofs{s.zones.angleFree, s.zones.scaleFree && s.zones.scaleHigh > s.zones.scaleLow};
    const int level = c.grid.level;
    Hypothesis h = c.h;
    const double dscore = localSearch(m.levels[std::size_t(level)], *img.edges(level), level, frame,
                                      dofs, c.grid.angleHalf, c.grid.logScaleHalf, h);

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
        double box[4];
        placedBox(m, frame, st.h, box);
        if (ncc0 < found.bestOverlapping(st.h, box) - kDominated) {
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
            if (std::max(0.0, ev.ncc) * ev.inside * ev.edges < s.acceptThreshold - kEarlyMargin)
                return std::nullopt;
            startFit(m.levels.front(), img.fit(0), 0, frame, st);
        }
        if (!fitLevel(m.levels[std::size_t(k)], img.fit(k), k, frame, dofs, kFitIterations, st,
                      &ncc))
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
    if (s.scoreUsingClutter) f.score = std::max(0.0, f.score - f.ev.clutter);
    f.score = std::clamp(f.score, 0.0, 1.0);
    f.accepted = f.score >= s.acceptThreshold;
    placedBox(m, frame, f.h, f.box);
    return f;
}

} // namespace

double boxOverlap(const double a[4], const double b[4]) {
    const double iw = std::min(a[2], b[2]) - std::max(a[0], b[0]);
    const double ih = std::min(a[3], b[3]) - std::max(a[1], b[1]);
    if (!(iw > 0 && ih > 0)) return 0.0;
    const double areaA = (a[2] - a[0]) * (a[3] - a[1]), areaB = (b[2] - b[0]) * (b[3] - b[1]);
    const double smaller = std::min(areaA, areaB);
    return smaller > 0 ? iw * ih / smaller : 0.0;
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
    Collector results(s);
    // The candidate dropped early with the best correlation: refined fully when nothing else
    // comes through, so that a run reports its best guess.
    const Candidate* bestDropped = nullptr;
    double bestDroppedNcc = -2;
    bool any = false;
    for (const Candidate& c : cands) {
        poll();
        double ncc = -2;
        if (const std::optional<Found> f = refine(m, img, frame, s, c, true, &ncc, results)) {
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
                refine(m, img, frame, s, *bestDropped, false, nullptr, results)) {
            results.offer(*f);
            publish(results.published());
        }
    }
}

} // namespace xc_align
