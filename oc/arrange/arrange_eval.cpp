#include "oc/arrange/arrange_eval.h"

#include "oc/arrange/line_model.h"

#include <cassert>
#include <cstddef>

namespace {

// Checks that every line of two or more characters starts with a matched character and, once
// closed (another line follows or every character has a choice), also ends with one. The open
// last line of a partial path may still end with unmatched characters, which later characters
// can close. Counts the lines made of one unmatched character: they are no lines at all.
bool checkLineStructure(const xc_ArrangePath& path, long numChars, long& emptyLines) {
    emptyLines = 0;
    const long d = path.depth();
    for (long l = 0; l < path.numLines(); ++l) {
        const long start = path.lineStarts[static_cast<std::size_t>(l)];
        const long end = path.lineEnd(l);
        const long first = path.choices[static_cast<std::size_t>(start)];
        if (end - start == 1) {
            if (first < 0) ++emptyLines;
            continue;
        }
        if (first < 0) return false;
        const bool closed = l + 1 < path.numLines() || d == numChars;
        if (closed && path.choices[static_cast<std::size_t>(end - 1)] < 0) return false;
    }
    return true;
}

// One found instance cannot stand for two positions of the string; characters with equal keys
// share one candidate list, so the newest character may not repeat an earlier one's choice.
bool reusesCandidate(const xc_ArrangeContext& ctx, const xc_ArrangePath& path) {
    const std::size_t last = path.choices.size() - 1;
    const long c = path.choices[last];
    if (c < 0) return false;
    const long key = ctx.keys[last];
    for (std::size_t i = 0; i < last; ++i)
        if (path.choices[i] == c && ctx.keys[i] == key) return true;
    return false;
}

} // namespace

bool xf_EvaluateArrangePath_(const xc_ArrangeContext& ctx, const xc_ArrangePath& path, bool isFinal,
                             xc_ArrangeFit& fit) {
    fit.reset();
    const long d = path.depth();
    assert(d <= ctx.numChars());

    long emptyLines = 0;
    if (!checkLineStructure(path, ctx.numChars(), emptyLines)) return false;

    // A blank character left unmatched is what its model expects, so it never counts; one
    // without candidates counts toward the limit but costs nothing, since it had no choice.
    long unmatched = 0, costed = 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(d); ++i) {
        const long c = path.choices[i];
        if (c >= 0) {
            assert(static_cast<std::size_t>(c) < ctx.scores[i].size());
            fit.matchTerm += 1.0 - ctx.scores[i][static_cast<std::size_t>(c)];
        } else if (!ctx.charData[i].isBlank) {
            ++unmatched;
            if (ctx.charData[i].hasCandidates) ++costed;
        }
    }
    if (!isFinal && unmatched > ctx.params.maxUnmatchedChars()) return false;
    fit.unmatchedTerm = static_cast<double>(costed) * ctx.params.unmatchedCharCost();

    if (d > 0 && reusesCandidate(ctx, path)) return false;

    const long countedLines = path.numLines() - emptyLines;
    if (countedLines > ctx.params.maxLines()) return false;
    if (countedLines > 1)
        fit.lineBreakTerm = static_cast<double>(countedLines - 1) * ctx.params.lineBreakCost();

    return xf_ArrangeLineCosts_(ctx, path, isFinal, fit);
}
