#include "align/detail/coarse_search.h"

#include "align/detail/simd.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>

namespace xc_align {

namespace {

// The pattern should keep about this many pels across on its coarse level.
constexpr double kMinCoarseDiameter = 12.0;
// Grid steps: the angle step is atan(kAngleStep / radius) and the scale step exp(kScaleStep /
// radius) on the coarse level, so that a pose half a step off moves the outermost feature by
// about kAngleStep / 2 (kScaleStep / 2) pels, which the 3 x 3 spreading of the responses
// absorbs.
constexpr double kAngleStep = 2.0;
constexpr double kScaleStep = 2.0;
// A scale step leaving less than this share of a step before the zone's end reaches to it.
constexpr double kSliver = 0.25;
// Rows of cells scored together, so the response rows they read stay in cache.
constexpr long kBlockRows = 16;
// Grid poses within this angle of the winner at a cell are the same hypothesis.
constexpr double kDistinctAngle = 30.0 * std::numbers::pi / 180.0;
// A runner-up at a clearly different angle is refined as well when it scores at least this
// share of the winner (shapes that nearly repeat when turned, like B turned by 180 degrees).
constexpr double kAltShare = 0.75;
// The runner-up is looked for this many cells around the peak: the turned pose of a nearly
// symmetric glyph puts the train window's centre elsewhere than the upright pose (twice the
// distance between that centre and the glyph's centre of symmetry, a few pels), so the two
// poses peak in different cells, of which only one survives as a local maximum.
constexpr long kAltReach = 2;
constexpr long kAltSide = 2 * kAltReach + 1;
// The cells around a peak are summed eight at a time along a row, in one 64-bit word.
constexpr long kBlockCols = 8;

double wrapAngle(double a) {
    a = std::fmod(a, 2 * std::numbers::pi);
    if (a > std::numbers::pi) a -= 2 * std::numbers::pi;
    if (a <= -std::numbers::pi) a += 2 * std::numbers::pi;
    return a;
}

// Whether two grid poses are clearly different angles: more than kDistinctAngle apart and more
// than two and a half grid steps, since one instance scores well a full step to either side of
// its angle, so that on a coarse grid (small patterns) poses two steps apart can both be it.
bool distinctAngles(const GridPose& a, const GridPose& b) {
    const double steps = 5.0 * std::max(a.angleHalf, b.angleHalf);
    return std::fabs(wrapAngle(a.theta - b.theta)) > std::max(kDistinctAngle, steps);
}

// A grid pose's features as (response map, offset from a cell's index) pairs.
struct Placed {
    const std::uint8_t* map;
    long offset;
};

std::vector<Placed> placeFeatures(const std::vector<EdgeFeature>& features, const ResponseMaps& r,
                                  const Frame& frame, const GridPose& gp) {
    const Mat2 A = frame.A(gp.theta, gp.scale);
    const Mat2 N = A.inverse().transpose();
    std::vector<Placed> out;
    out.reserve(features.size());
    for (const EdgeFeature& f : features) {
        // The anchor sits at the centre of the cell's first pel, so a feature lands in the pel
        // rounded from its offset.
        const long ox = std::lround(A.a * f.x + A.b * f.y);
        const long oy = std::lround(A.c * f.x + A.d * f.y);
        const long qx = (ox >= 0 ? ox : ox - (kCell - 1)) / kCell;
        const long qy = (oy >= 0 ? oy : oy - (kCell - 1)) / kCell;
        if (std::abs(qx) >= kPadCells || std::abs(qy) >= kPadCells) continue;
        const double nx = N.a * f.nx + N.b * f.ny, ny = N.c * f.nx + N.d * f.ny;
        const int bin = directionBinOfAngle(std::atan2(ny, nx));
        const std::uint8_t* map = r.map(bin, int(oy - kCell * qy), int(ox - kCell * qx));
        out.push_back(Placed{map, (qy + kPadCells) * r.stride + qx + kPadCells});
    }
    return out;
}

XC_ALIGN_HOT void add4(std::uint8_t* acc, const std::uint8_t* a, const std::uint8_t* b,
                       const std::uint8_t* c, const std::uint8_t* d, long n) {
    for (long i = 0; i < n; ++i) acc[i] = std::uint8_t(acc[i] + a[i] + b[i] + c[i] + d[i]);
}
XC_ALIGN_HOT void add1(std::uint8_t* acc, const std::uint8_t* a, long n) {
    for (long i = 0; i < n; ++i) acc[i] = std::uint8_t(acc[i] + a[i]);
}
XC_ALIGN_HOT void maxInto(std::uint8_t* best, const std::uint8_t* acc, long n) {
    for (long i = 0; i < n; ++i) best[i] = std::max(best[i], acc[i]);
}

// The responses of the placed features summed over a block of kAltSide rows of eight cells whose
// first cell is `base`, a row's eight sums in one 64-bit word holding the cells' bytes in memory
// order: no byte carries into the next, as a sum stays below 256 (at most kMaxCoarseFeatures
// features of at most 4 each).
void blockSums(const std::vector<Placed>& feats, long base, long stride,
               std::uint64_t out[kAltSide]) {
    static_assert(4 * kMaxCoarseFeatures < 256);
    std::uint64_t acc[kAltSide] = {};
    for (const Placed& p : feats) {
        const std::uint8_t* m = p.map + p.offset + base;
        for (long j = 0; j < kAltSide; ++j) {
            std::uint64_t w;
            std::memcpy(&w, m + j * stride, sizeof w);
            acc[j] += w;
        }
    }
    std::copy(acc, acc + kAltSide, out);
}

struct Peak {
    int value;
    long cell;
};

} // namespace

std::vector<GridPose> buildGrid(const Model& m, const Frame& frame, const Zones& z, int runLevels) {
    const double pf = frame.pelScale();
    const int levels = std::min(int(m.levels.size()), std::max(1, runLevels));
    const double r0 = std::max(1.0, m.levels.front().radius);
    auto levelFor = [&](double s) {
        for (int k = levels - 1; k > 0; --k)
            if (2.0 * r0 * s * pf / double(1L << k) >= kMinCoarseDiameter) return k;
        return 0;
    };
    auto radiusAt = [&](int k, double s) {
        return std::max(1.0, m.levels[std::size_t(k)].radius * s * pf);
    };

    struct ScaleStep {
        double scale, logHalf;
        int level;
    };
    std::vector<ScaleStep> scales;
    if (!z.scaleFree || z.scaleHigh <= z.scaleLow) {
        scales.push_back({z.scaleLow, 0.0, levelFor(z.scaleLow)});
    } else {
        double s0 = z.scaleLow;
        while (s0 < z.scaleHigh * (1 - 1e-12) && scales.size() < 256) {
            const int k = levelFor(s0);
            const double logStep = kScaleStep / radiusAt(k, s0);
            // A last step cut to a sliver by the zone's end joins this one: a sliver's grid pose
            // would let the local search try scales only a sliver apart, yet its coarse score
            // (on a coarser level than its neighbours when the pattern crosses the level's size
            // limit there) tolerates scales a full step off, so it could win a place with a
            // scale the refinement cannot recover from.
            double s1 = s0 * std::exp(logStep);
            if (s1 * std::exp(kSliver * logStep) >= z.scaleHigh) s1 = z.scaleHigh;
            s1 = std::min(z.scaleHigh, s1);
            const double c = std::sqrt(s0 * s1);
            scales.push_back({c, 0.5 * std::log(s1 / s0), levelFor(c)});
            s0 = s1;
        }
    }

    std::vector<GridPose> grid;
    for (const ScaleStep& st : scales) {
        GridPose gp;
        gp.scale = st.scale;
        gp.level = st.level;
        gp.logScaleHalf = st.logHalf;
        if (!z.angleFree) {
            gp.theta = z.angleLow;
            grid.push_back(gp);
            continue;
        }
        const double step = std::atan(kAngleStep / radiusAt(st.level, st.scale));
        const double span = z.angleHigh - z.angleLow;
        if (z.fullCircle()) {
            const int n = int(std::ceil(2 * std::numbers::pi / step));
            gp.angleHalf = std::numbers::pi / n;
            for (int i = 0; i < n; ++i) {
                gp.theta = z.angleLow + 2 * std::numbers::pi * i / n;
                grid.push_back(gp);
            }
        } else {
            const int n = std::max(1, int(std::ceil(span / step)));
            gp.angleHalf = span / (2.0 * n);
            for (int i = 0; i < n; ++i) {
                gp.theta = z.angleLow + (i + 0.5) * span / n;
                grid.push_back(gp);
            }
        }
    }
    return grid;
}

namespace {

// The grid poses of one level with their features placed on its response maps: the widely
// spread subset for the scan, all of them for scoring the peaks.
struct LevelPoses {
    std::vector<const GridPose*> poses;
    std::vector<std::vector<Placed>> scan, all;
};

LevelPoses placeLevel(const ModelLevel& ml, const ResponseMaps& r, const Frame& frame,
                      const std::vector<GridPose>& grid, int level) {
    LevelPoses lp;
    for (const GridPose& gp : grid)
        if (gp.level == level) lp.poses.push_back(&gp);
    for (const GridPose* gp : lp.poses) {
        lp.scan.push_back(placeFeatures(ml.scan, r, frame, *gp));
        lp.all.push_back(placeFeatures(ml.coarse, r, frame, *gp));
    }
    return lp;
}

// Stage 1: the best scan response over all grid poses at every cell, row block by row block.
std::vector<std::uint8_t> bestResponses(const ResponseMaps& r, const LevelPoses& lp,
                                        const std::function<void()>& poll) {
    // Zeroed a block of rows at a time between polls: at once, the fresh pages of a 2048-pel
    // image's megabyte took 3-5 ms on a busy virtual machine.
    std::vector<std::uint8_t> best;
    best.reserve(std::size_t(r.cellsH * r.stride));
    std::vector<std::uint8_t> acc(std::size_t(kBlockRows * r.stride));
    for (long j0 = 0; j0 < r.cellsH; j0 += kBlockRows) {
        const long base = j0 * r.stride;
        const long len = std::min(kBlockRows, r.cellsH - j0) * r.stride;
        poll();
        best.resize(std::size_t(base + len));
        for (const std::vector<Placed>& feats : lp.scan) {
            poll();
            std::fill(acc.begin(), acc.begin() + len, 0);
            std::size_t i = 0;
            for (; i + 4 <= feats.size(); i += 4)
                add4(acc.data(), feats[i].map + feats[i].offset + base,
                     feats[i + 1].map + feats[i + 1].offset + base,
                     feats[i + 2].map + feats[i + 2].offset + base,
                     feats[i + 3].map + feats[i + 3].offset + base, len);
            for (; i < feats.size(); ++i)
                add1(acc.data(), feats[i].map + feats[i].offset + base, len);
            maxInto(best.data() + base, acc.data(), len);
        }
    }
    return best;
}

// Stage 2: the local maxima of the best responses over the 3 x 3 cells around (ties going to
// the first cell) reaching `low`, best first.
std::vector<Peak> findPeaks(const ResponseMaps& r, const std::vector<std::uint8_t>& best, int low) {
    std::vector<Peak> out;
    for (long j = 0; j < r.cellsH; ++j)
        for (long i = 0; i < r.cellsW; ++i) {
            const long c = j * r.stride + i;
            const int v = best[std::size_t(c)];
            if (v < low) continue;
            bool isMax = true;
            for (long dj = -1; dj <= 1 && isMax; ++dj)
                for (long di = -1; di <= 1; ++di) {
                    if ((di == 0 && dj == 0) || i + di < 0 || j + dj < 0 || i + di >= r.cellsW ||
                        j + dj >= r.cellsH)
                        continue;
                    const long o = c + dj * r.stride + di;
                    const int w = best[std::size_t(o)];
                    if (w > v || (w == v && o < c)) {
                        isMax = false;
                        break;
                    }
                }
            if (isMax) out.push_back(Peak{v, c});
        }
    std::sort(out.begin(), out.end(), [](const Peak& a, const Peak& b) {
        return a.value != b.value ? a.value > b.value : a.cell < b.cell;
    });
    return out;
}

// Stage 3: at each peak, the grid pose that wins with all features, and a runner-up at a
// clearly different angle, in the peak's cell or one near it, when it scores nearly as well.
void hypothesesAtPeaks(const ResponseMaps& r, const LevelPoses& lp, const std::vector<Peak>& peaks,
                       int level, int full, int thr, std::vector<Candidate>& out) {
    const double f = double(1L << level);
    auto scoreAt = [&](std::size_t t, long cell) {
        int v = 0;
        for (const Placed& p : lp.all[t]) v += p.map[p.offset + cell];
        return v;
    };
    auto push = [&](int t, int v, long cell) {
        Candidate c;
        c.grid = *lp.poses[std::size_t(t)];
        c.h.x = (double(kCell * (cell % r.stride)) + 0.5) * f;
        c.h.y = (double(kCell * (cell / r.stride)) + 0.5) * f;
        c.h.theta = c.grid.theta;
        c.h.scale = c.grid.scale;
        c.score = double(v) / double(full);
        out.push_back(c);
    };
    // Every pose is scored over a block of cells around the peak, which holds the peak's cell
    // and, where the map is that large, the runner-up's neighbourhood; smaller maps are scored
    // cell by cell.
    const bool block = r.cellsW >= kBlockCols && r.cellsH >= kAltSide;
    std::vector<std::array<std::uint64_t, kAltSide>> sums(block ? lp.all.size() : 0);
    for (const Peak& pk : peaks) {
        const long ci = pk.cell % r.stride, cj = pk.cell / r.stride;
        const long i0 = std::max(0L, ci - kAltReach), i1 = std::min(r.cellsW - 1, ci + kAltReach);
        const long j0 = std::max(0L, cj - kAltReach), j1 = std::min(r.cellsH - 1, cj + kAltReach);
        // The block's first cell: moved in from the map's right and lower edges, so that every
        // cell it reads lies in the map.
        const long bi = std::min(i0, r.cellsW - kBlockCols), bj = std::min(j0, r.cellsH - kAltSide);
        for (std::size_t t = 0; t < sums.size(); ++t)
            blockSums(lp.all[t], bj * r.stride + bi, r.stride, sums[t].data());
        auto at = [&](std::size_t t, long i, long j) {
            if (!block) return scoreAt(t, j * r.stride + i);
            std::uint8_t row[kBlockCols];
            std::memcpy(row, &sums[t][std::size_t(j - bj)], sizeof row);
            return int(row[i - bi]);
        };
        int bestT = -1, bestV = -1;
        for (std::size_t t = 0; t < lp.all.size(); ++t) {
            const int v = at(t, ci, cj);
            if (v > bestV) {
                bestV = v;
                bestT = int(t);
            }
        }
        push(bestT, bestV, pk.cell);
        // The runner-up: the pose clearly turned from the winner that scores best in the peak's
        // cell or one near it.
        int altT = -1, altV = -1;
        long altCell = pk.cell;
        for (std::size_t t = 0; t < lp.all.size(); ++t) {
            if (!distinctAngles(*lp.poses[t], *lp.poses[std::size_t(bestT)])) continue;
            for (long j = j0; j <= j1; ++j)
                for (long i = i0; i <= i1; ++i) {
                    const int v = at(t, i, j);
                    if (v > altV) {
                        altV = v;
                        altT = int(t);
                        altCell = j * r.stride + i;
                    }
                }
        }
        if (altT >= 0 && altV >= kAltShare * bestV && altV >= thr) push(altT, altV, altCell);
    }
}

// Stage 4: across levels, best first, at most two hypotheses (of clearly different angles) per
// place and at most maxCandidates in all.
std::vector<Candidate> keepDistinct(std::vector<Candidate> all, const Model& m, double pelScale,
                                    std::size_t maxCandidates) {
    std::stable_sort(all.begin(), all.end(),
                     [](const Candidate& a, const Candidate& b) { return a.score > b.score; });
    std::vector<Candidate> kept;
    for (const Candidate& c : all) {
        const double near = 0.3 * double(std::min(m.width, m.height)) * c.h.scale * pelScale;
        int sameSpot = 0;
        bool duplicate = false;
        for (const Candidate& k : kept)
            if (std::hypot(c.h.x - k.h.x, c.h.y - k.h.y) < near) {
                ++sameSpot;
                if (std::fabs(wrapAngle(c.h.theta - k.h.theta)) <= kDistinctAngle) duplicate = true;
            }
        if (duplicate || sameSpot >= 2) continue;
        kept.push_back(c);
        if (kept.size() >= maxCandidates) break;
    }
    return kept;
}

} // namespace

std::vector<Candidate> coarseSearch(const Model& m, const RunImage& img, const Frame& frame,
                                    const std::vector<GridPose>& grid, double minScore,
                                    std::size_t maxCandidates, const std::function<void()>& poll) {
    std::vector<Candidate> all;
    for (int level = 0; level < img.numLevels() && level < int(m.levels.size()); ++level) {
        if (std::none_of(grid.begin(), grid.end(),
                         [&](const GridPose& gp) { return gp.level == level; }))
            continue;
        poll();
        const std::shared_ptr<const EdgeLevel> edges = img.edges(level, poll);
        const ResponseMaps& r = edges->resp;
        const ModelLevel& ml = m.levels[std::size_t(level)];
        const LevelPoses lp = placeLevel(ml, r, frame, grid, level);
        const std::vector<std::uint8_t> best = bestResponses(r, lp, poll);
        poll();
        const int full = 4 * int(ml.coarse.size());
        const int scanThr = std::max(1, int(std::ceil(minScore * 4 * int(ml.scan.size()))));
        std::vector<Peak> peaks = findPeaks(r, best, scanThr);
        // Cells below the threshold matter only when no cell reaches it: the best few then.
        if (peaks.empty()) {
            peaks = findPeaks(r, best, 1);
            peaks.resize(std::min<std::size_t>(peaks.size(), 3));
        }
        peaks.resize(std::min(peaks.size(), 2 * maxCandidates));
        poll();
        hypothesesAtPeaks(r, lp, peaks, level, full, std::max(1, int(std::ceil(minScore * full))),
                          all);
    }
    return keepDistinct(std::move(all), m, frame.pelScale(), maxCandidates);
}

} // namespace xc_align
