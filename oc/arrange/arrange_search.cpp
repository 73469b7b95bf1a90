#include "oc/arrange/arrange_search.h"

#include "core/base/priority_queue.h"
#include "core/sys/attention.h"
#include "oc/arrange/arrange_eval.h"
#include "oc/arrange/arrange_fit.h"
#include "oc/arrange/compat_table.h"
#include "oc/arrange/line_model.h"

#include <algorithm>
#include <cassert>
#include <cstddef>

namespace {

// Paths more than this many characters shallower than the deepest accepted one are dropped
// unexpanded: they would only be expanded once every deeper path costs more.
constexpr long kDepthWindow = 5;

// The deepest accepted path so far, the first of the cheapest among equally deep ones.
class BestPath {
public:
    void offer(const xc_ArrangePath& path, double cost) {
        const long depth = path.depth();
        if (depth > path_.depth() || (depth == path_.depth() && cost < cost_)) {
            path_ = path;
            cost_ = cost;
        }
    }
    long depth() const { return path_.depth(); }
    xc_ArrangePath& path() { return path_; }

private:
    xc_ArrangePath path_;
    double cost_ = 0.0; // set by the first offer, which is always deeper than the empty path
};

// Makes an incomplete path a full one the driver can report: unmatched characters after the last
// matched one of the open line each become a line of their own (a line may not end unmatched),
// and every character without a choice is left unmatched on its own line.
void completePath(xc_ArrangePath& path, long numChars) {
    if (path.numLines() > 0) {
        const long last = path.numLines() - 1;
        const long start = path.lineStarts.back();
        const long end = path.lineEnd(last);
        if (end - start >= 2) {
            assert(path.choices[static_cast<std::size_t>(start)] >= 0);
            long lastMatched = end - 1;
            while (path.choices[static_cast<std::size_t>(lastMatched)] < 0) --lastMatched;
            for (long i = lastMatched + 1; i < end; ++i) path.lineStarts.push_back(i);
        }
    }
    while (path.depth() < numChars) path.push(-1, true);
}

} // namespace

bool xf_ArrangeSearch_(const xc_ArrangeContext& callerCtx, xc_ArrangePath& bestPath) {
    xc_LineCostCache lineCache;
    xc_ArrangeContext ctx = callerCtx;
    ctx.lineCache = &lineCache;
    const long n = ctx.numChars();
    assert(ctx.charData.size() == static_cast<std::size_t>(n));
    assert(ctx.poses.size() == static_cast<std::size_t>(n));
    assert(ctx.scores.size() == static_cast<std::size_t>(n));

    const xc_CompatTable compat(ctx.charData, ctx.poses);
    const std::size_t maxQueue = static_cast<std::size_t>(std::max(ctx.params.maxCandidates(), 0L));

    xcPriorityQueue<xc_ArrangePath> queue;
    queue.push(xc_ArrangePath(), 0.0);
    BestPath best;
    xc_ArrangeFit fit; // reused so that its vectors keep their capacity
    const auto tryPath = [&](xc_ArrangePath& path) {
        if (!xf_EvaluateArrangePath_(ctx, path, false, fit)) return;
        const double cost = fit.totalCost();
        queue.push(path, cost);
        best.offer(path, cost);
    };

    unsigned long iterations = 0;
    while (queue.size() < maxQueue && !queue.empty() && queue.top().depth() != n) {
        if ((++iterations & 8) == 0) xcAttention::check();
        xc_ArrangePath cur = queue.take();
        const long d = cur.depth();
        if (d < best.depth() - kDepthWindow) continue;

        const xc_CharData& data = ctx.charData[static_cast<std::size_t>(d)];
        // Only the first numCandidates (best first) are tried; never more than were found.
        const long numCandidates = std::min<long>(
            data.numCandidates,
            static_cast<long>(std::min(ctx.poses[static_cast<std::size_t>(d)].size(),
                                       ctx.scores[static_cast<std::size_t>(d)].size())));
        const long last = d > 0 ? cur.choices.back() : -1;
        for (long c = data.allowUnmatched ? -1 : 0; c < numCandidates; ++c) {
            if (d > 0 && (c < 0 || last < 0 || compat.compatible(d - 1, last, c))) {
                cur.push(c, false);
                tryPath(cur);
                cur.pop();
            }
            cur.push(c, true);
            tryPath(cur);
            cur.pop();
        }
    }

    const bool complete = best.depth() == n;
    if (!complete) completePath(best.path(), n);
    bestPath = std::move(best.path());
    return complete;
}
