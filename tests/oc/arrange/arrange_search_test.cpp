// The arranger's path evaluation, candidate compatibility table and search. The outcomes hold
// whatever the line models add: a line holds at most one matched character, or its candidates
// are collinear, unturned and spaced by their widths (no cost).
#include "core/sys/attention.h"
#include "core/sys/timeout.h"
#include "oc/arrange/arrange_eval.h"
#include "oc/arrange/arrange_fixtures.h"
#include "oc/arrange/arrange_search.h"
#include "oc/arrange/compat_table.h"

#include <gtest/gtest.h>

using namespace arrange_test;

using enum xc_OCExtractDefs::Symmetry;
constexpr long kAny = xcOCArrangeParams::kNoLimit;

TEST(OCArrangeEval, TermsAndRejections) {
    // 0 and 3 share key 1 and so one candidate list; 2 is blank; 4 has no candidates.
    Scene s;
    s.add(1, {at(0), at(0, 500)}, {0.9, 0.8});
    s.add(2, {at(10)}, {0.7});
    s.add(3, {at(20)}, {0.6}).isBlank = true;
    s.add(1, {at(0), at(0, 500)}, {0.9, 0.8});
    s.add(4, {});
    s.params.unmatchedCharCost(1.5);
    struct Case {
        xc_ArrangePath path; // choices, line starts
        long maxUnmatched, maxLines;
        bool isFinal, accepted;
        double match = 0, unmatched = 0, lineBreak = 0;
    } cases[] = {
        // 4 counts as unmatched but costs nothing; empty lines count for no line break.
        {{{0, -1, -1, 1, -1}, {0, 1, 2, 3, 4}}, kAny, kAny, false, true, 0.3, 1.5, 2},
        {{{0, -1, -1, 1, -1}, {0, 1, 2, 3, 4}}, 1, kAny, false, false},
        {{{0, -1, -1, 1, -1}, {0, 1, 2, 3, 4}}, 1, kAny, true, true, 0.3, 1.5, 2},
        {{{0, -1, -1, 1}, {0, 1, 2, 3}}, 1, kAny, false, true, 0.3, 1.5, 2}, // blank never counts
        {{{0, -1, -1, 0}, {0, 1, 2, 3}}, kAny, kAny, false, false}, // candidate 0 taken twice
        {{{-1, 0}, {0}}, kAny, kAny, false, false},
        {{{0, -1, 0}, {0}}, kAny, kAny, false, true, 0.5, 1.5, 0},
        {{{0, -1}, {0}}, kAny, kAny, false, true, 0.1, 1.5, 0}, // the open line ends unmatched
        {{{0, -1, 0}, {0, 2}}, kAny, kAny, false, false},
        {{{0, -1, -1, 1, -1}, {0, 1, 2, 3}}, kAny, kAny, false, false},
        {{{0, 0}, {0, 1}}, kAny, 1, false, false},
        {{{0, -1, -1}, {0, 1, 2}}, kAny, 1, false, true, 0.1, 1.5, 0},
    };
    xc_ArrangeFit fit;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << &c - cases);
        s.params.maxUnmatchedChars(c.maxUnmatched);
        s.params.maxLines(c.maxLines);
        fit.lineBreakTerm = 99.0;
        ASSERT_EQ(xf_EvaluateArrangePath_(s.ctx(), c.path, c.isFinal, fit), c.accepted);
        if (!c.accepted) continue;
        EXPECT_NEAR(fit.matchTerm, c.match, 1e-12);
        EXPECT_EQ(fit.unmatchedTerm, c.unmatched);
        EXPECT_EQ(fit.lineBreakTerm, c.lineBreak);
    }
}

TEST(OCArrangeCompat, DistanceAndAngleRules) {
    // 10 x 10 characters have diagonals of 14.14, so neighbours may stand 28.28 apart.
    struct Case {
        xc_Pose a, b;
        bool compatible;
        xc_OCExtractDefs::Symmetry symA = eNoSymmetry, symB = eNoSymmetry;
        double sizeB = 10;
    } cases[] = {
        {at(0), at(28), true},
        {at(0), at(0, -29), false},
        {at(0), at(50), true, eNoSymmetry, eNoSymmetry, 20}, // B's larger diagonal counts
        {at(0, 0, 0, 2), at(56), true},
        {at(0, 0, 10), at(10, 0, 39.5), true},
        {at(0, 0, 10), at(10, 0, 40.5), false},
        {at(0, 0, 175), at(10, 0, -170), true},
        {at(0), at(10, 0, 170), false},
        {at(0), at(10, 0, 160), true, eNoSymmetry, e180Symmetry},
        {at(0), at(10, 0, 140), false, e180Symmetry, e180Symmetry},
        {at(0), at(10, 0, 90), true, eFullSymmetry},
        {at(0), at(40), false, eFullSymmetry, eFullSymmetry},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << &c - cases);
        Scene s;
        s.add(1, {c.a}).symmetry = c.symA;
        s.add(2, {c.b}, {}, c.sizeB, c.sizeB).symmetry = c.symB;
        EXPECT_EQ(xc_CompatTable(s.chars, s.poses).compatible(0, 0, 0), c.compatible);
    }
    Scene s; // a character without candidates leaves its own and its neighbour's rows empty
    s.add(1, {at(0), at(5)}), s.add(2, {}), s.add(3, {at(10)});
    const std::vector<std::vector<std::vector<bool>>> expected{{{}, {}}, {}};
    EXPECT_EQ(xc_CompatTable(s.chars, s.poses).table(), expected);
}

TEST(OCArrangeSearch, OutcomesAndCompletion) {
    // Character i's candidates lie at x = 1000 i, out of reach of its neighbours'.
    struct Case {
        std::vector<std::vector<double>> scores; // per character, empty: no candidates
        bool complete;
        xc_ArrangePath best;
        long maxCandidates = 500000, maxUnmatched = kAny, maxLines = kAny;
        double lineBreakCost = 2;
        bool firstMustMatch = false;
    } cases[] = {
        {{{0.9}, {0.8}}, false, {{-1, -1}, {0, 1}}, 0},
        {{{}, {}, {}}, true, {{-1, -1, -1}, {0, 1, 2}}},
        {{{}}, false, {{-1}, {0}}, 500000, 0},
        {{{0.9}, {0.9}}, true, {{0, -1}, {0, 1}}}, // a tie keeps the first path offered
        {{{0.9}, {0.8}}, true, {{0, 0}, {0, 1}}, 500000, kAny, kAny, 0.5},
        {{{0.9}, {0.8}}, true, {{0, -1}, {0, 1}}, 500000, kAny, 1, 0},
        // The queue fills at depth 2; the open line's trailing unmatched character becomes a
        // line of its own.
        {{{0.9}, {}, {0.9}}, false, {{0, -1, -1}, {0, 1, 2}}, 2, kAny, kAny, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << &c - cases);
        Scene s;
        for (std::size_t i = 0; i < c.scores.size(); ++i)
            s.add(long(i), std::vector<xc_Pose>(c.scores[i].size(), at(1000.0 * i)), c.scores[i]);
        s.chars[0].allowUnmatched = !c.firstMustMatch;
        s.params.maxCandidates(c.maxCandidates);
        s.params.maxUnmatchedChars(c.maxUnmatched);
        s.params.maxLines(c.maxLines);
        s.params.lineBreakCost(c.lineBreakCost);
        xc_ArrangePath best{{7}, {0}};
        EXPECT_EQ(xf_ArrangeSearch_(s.ctx(), best), c.complete);
        EXPECT_EQ(best.choices, c.best.choices);
        EXPECT_EQ(best.lineStarts, c.best.lineStarts);
    }
}

TEST(OCArrangeSearch, EqualKeysTakeDifferentCandidatesAndTheTimeLimitIsPolled) {
    Scene s; // both positions want key 5's better candidate; side by side they form one line
    for (int i = 0; i < 2; ++i) s.add(5, {at(0), at(10)}, {0.9, 0.8}).allowUnmatched = false;
    xc_ArrangePath best;
    ASSERT_TRUE(xf_ArrangeSearch_(s.ctx(), best));
    EXPECT_EQ(best.choices[0] + best.choices[1], 1);
    EXPECT_EQ(best.lineStarts, (std::vector<long>{0}));
    xcAttentionTag tag;
    tag.attachTimeout(0.0);
    EXPECT_THROW(xf_ArrangeSearch_(s.ctx(), best), xcTimeout::Expired);
}
