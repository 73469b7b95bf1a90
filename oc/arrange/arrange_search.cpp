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
#include <cstdint>
#include <memory>
#include <vector>

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

// The queue never reserves room for more entries than this up front; a larger limit grows it.
constexpr std::size_t kMaxReserved = std::size_t(1) << 22;

// The candidates tried for character d: the first numCandidates (best first), never more than
// were found.
long triedCandidates(const xc_ArrangeContext& ctx, std::size_t d) {
    return std::min<long>(ctx.charData[d].numCandidates,
                          static_cast<long>(std::min(ctx.poses[d].size(), ctx.scores[d].size())));
}

// The most paths one expansion can add: two per candidate tried and two for leaving the
// character unmatched.
std::size_t maxExpansion(const xc_ArrangeContext& ctx) {
    std::size_t most = 0;
    for (std::size_t d = 0; d < ctx.charData.size(); ++d)
        most = std::max(most,
                        2 * (static_cast<std::size_t>(std::max(triedCandidates(ctx, d), 0L)) + 1));
    return most;
}

// The queued partial paths, sharing their prefixes: a node is one choice and names the node of
// the choice before it, so a queue entry is one node and a path costs one node more than the
// path it extends, where a queue of full copies would hold depth x queue size choices (hundreds
// of MB for long texts). A node lives while a queue entry or a later node holds it; freed nodes
// are kept in a list through their parent links for reuse. Nodes are stored in fixed blocks, so
// growing never copies them: a doubling copy of a million nodes would stall the search for
// tens of ms between two polls.
class PathTree {
public:
    static constexpr long kRoot = -1; // the empty path

    // A node for `parent` extended by choice c, held once by the caller.
    long add(long parent, long c, bool newLine) {
        long id = freeList_;
        if (id != kRoot) {
            freeList_ = at(id).parent;
        } else {
            if (size_ == static_cast<long>(blocks_.size()) * kBlock)
                blocks_.push_back(std::make_unique<Node[]>(kBlock));
            id = size_++;
        }
        at(id) = {parent, static_cast<std::int32_t>(c), 1, newLine};
        if (parent != kRoot) ++at(parent).holds;
        return id;
    }

    // Drops one hold of the node; a node nobody holds is freed, and with it its hold on its
    // parent.
    void release(long id) {
        while (id != kRoot) {
            Node& node = at(id);
            if (--node.holds > 0) return;
            const long parent = node.parent;
            node.parent = freeList_;
            freeList_ = id;
            id = parent;
        }
    }

    // The node's whole path, written into `path` (whose storage is reused).
    void path(long id, xc_ArrangePath& path) const {
        path.choices.clear();
        path.lineStarts.clear();
        for (long k = id; k != kRoot; k = at(k).parent) path.choices.push_back(at(k).choice);
        std::reverse(path.choices.begin(), path.choices.end());
        long index = path.depth();
        for (long k = id; k != kRoot; k = at(k).parent)
            if (--index, at(k).newLine) path.lineStarts.push_back(index);
        std::reverse(path.lineStarts.begin(), path.lineStarts.end());
    }

private:
    static constexpr long kBlock = 4096;
    struct Node {
        long parent;         // while free: the next free node
        std::int32_t choice; // a candidate index, below the number of instances found
        std::uint32_t holds; // the queue entry and the nodes that extend it
        bool newLine;
    };
    Node& at(long id) { return blocks_[static_cast<std::size_t>(id / kBlock)][id % kBlock]; }
    const Node& at(long id) const {
        return blocks_[static_cast<std::size_t>(id / kBlock)][id % kBlock];
    }

    std::vector<std::unique_ptr<Node[]>> blocks_;
    long size_ = 0;
    long freeList_ = kRoot;
};

struct QueuedPath {
    long node = PathTree::kRoot;
    long depth = 0;
};

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

    PathTree tree;
    xcPriorityQueue<QueuedPath> queue;
    // Room for the largest queue the search lets grow, reserved (not touched) at once: the
    // queue's own doubling would copy it all between two polls.
    queue.reserve(std::min(maxQueue + maxExpansion(ctx), kMaxReserved));
    queue.push(QueuedPath(), 0.0);
    BestPath best;
    xc_ArrangeFit fit;  // reused so that its vectors keep their capacity
    xc_ArrangePath cur; // the path being expanded, rebuilt from its node
    QueuedPath curEntry;
    const auto tryPath = [&](long c, bool newLine) {
        cur.push(c, newLine);
        if (xf_EvaluateArrangePath_(ctx, cur, false, fit)) {
            const double cost = fit.totalCost();
            const QueuedPath next{tree.add(curEntry.node, c, newLine), curEntry.depth + 1};
            try {
                queue.push(next, cost);
            } catch (...) {
                tree.release(next.node);
                throw;
            }
            best.offer(cur, cost);
        }
        cur.pop();
    };

    unsigned long iterations = 0;
    while (queue.size() < maxQueue && !queue.empty() && queue.top().depth != n) {
        if ((++iterations & 8) == 0) xcAttention::check();
        curEntry = queue.take();
        const long d = curEntry.depth;
        if (d < best.depth() - kDepthWindow) {
            tree.release(curEntry.node);
            continue;
        }
        tree.path(curEntry.node, cur);

        const xc_CharData& data = ctx.charData[static_cast<std::size_t>(d)];
        const long numCandidates = triedCandidates(ctx, static_cast<std::size_t>(d));
        const long last = d > 0 ? cur.choices.back() : -1;
        for (long c = data.allowUnmatched ? -1 : 0; c < numCandidates; ++c) {
            if (d > 0 && (c < 0 || last < 0 || compat.compatible(d - 1, last, c)))
                tryPath(c, false);
            tryPath(c, true);
        }
        // The queue's hold on the expanded path passes to the paths that extend it.
        tree.release(curEntry.node);
    }

    const bool complete = best.depth() == n;
    if (!complete) completePath(best.path(), n);
    bestPath = std::move(best.path());
    return complete;
}
