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

// The queued partial paths, sharing their prefixes: a node is one choice and names the node of
// the choice before it, so a queue entry is one node and a path costs one node more than the
// path it extends, where a queue of full copies would hold depth x queue size choices (hundreds
// of MB for long texts). A node lives while a queue entry or a later node holds it.
class PathTree {
public:
    static constexpr long kRoot = -1; // the empty path

    // A node for `parent` extended by choice c, held once by the caller.
    long add(long parent, long c, bool newLine) {
        long id;
        if (!free_.empty()) {
            id = free_.back();
            free_.pop_back();
        } else {
            id = static_cast<long>(nodes_.size());
            nodes_.emplace_back();
        }
        nodes_[static_cast<std::size_t>(id)] = {parent, static_cast<std::int32_t>(c), 1, newLine};
        if (parent != kRoot) ++nodes_[static_cast<std::size_t>(parent)].holds;
        return id;
    }

    // Drops one hold of the node; a node nobody holds is freed, and with it its hold on its
    // parent.
    void release(long id) {
        while (id != kRoot) {
            Node& node = nodes_[static_cast<std::size_t>(id)];
            if (--node.holds > 0) return;
            free_.push_back(id);
            id = node.parent;
        }
    }

    // The node's whole path, written into `path` (whose storage is reused).
    void path(long id, xc_ArrangePath& path) const {
        path.choices.clear();
        path.lineStarts.clear();
        for (long k = id; k != kRoot; k = node(k).parent) path.choices.push_back(node(k).choice);
        std::reverse(path.choices.begin(), path.choices.end());
        long index = path.depth();
        for (long k = id; k != kRoot; k = node(k).parent)
            if (--index, node(k).newLine) path.lineStarts.push_back(index);
        std::reverse(path.lineStarts.begin(), path.lineStarts.end());
    }

private:
    struct Node {
        long parent;
        std::int32_t choice; // a candidate index, below the number of instances found
        std::uint32_t holds; // the queue entry and the nodes that extend it
        bool newLine;
    };
    const Node& node(long id) const { return nodes_[static_cast<std::size_t>(id)]; }

    std::vector<Node> nodes_;
    std::vector<long> free_;
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
        // Only the first numCandidates (best first) are tried; never more than were found.
        const long numCandidates = std::min<long>(
            data.numCandidates,
            static_cast<long>(std::min(ctx.poses[static_cast<std::size_t>(d)].size(),
                                       ctx.scores[static_cast<std::size_t>(d)].size())));
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
