// The arranger's search on constructed candidate sets: candidates taken, path evaluation,
// compatibility, the search and the line models. The search cases need no line costs: a line holds
// at most one matched character, or its candidates are collinear, unturned and width-spaced.
#include "oc/arrange/arrange_eval.h"
#include "oc/arrange/arrange_search.h"
#include "oc/arrange/candidate_search.h"
#include "oc/arrange/compat_table.h"
#include "oc/arrange/line_model.h"

#include "core/sys/attention.h"
#include "core/sys/timeout.h"
#include "oc/arrange/arrange_fixtures.h"
#include "oc/extract/access.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

using namespace arrange_test;

using enum xc_OCExtractDefs::Symmetry;
using Defs = xcOCArrangeDefs;
using Sym = xc_OCExtractDefs::Symmetry;
constexpr long kAny = xcOCArrangeParams::kNoLimit;
constexpr int kReject = -1; // the line costs refuse the path

namespace {

void expectNear(const std::vector<double>& got, const std::vector<double>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got[i], want[i], 1e-9) << "value " << i;
}

TEST(OCArrangeCandidates, CountAndWhetherACharacterMayStayUnmatched) {
    struct Case {
        long occurrences;
        std::vector<double> scores;
        long numCandidates;
        bool allowUnmatched;
        const char* what;
    } cases[] = {
        {1, {0.95, 0.85, 0.82, 0.70, 0.81}, 3, false, "within 0.15 of the best, to one below"},
        {1, {0.95, 0.79}, 1, false, "nothing within the margin"},
        {1, {0.69}, 1, true, "best below 0.7"},
        {1, {0.70}, 1, false, "best exactly 0.7"},
        {2, {0.99}, 1, true, "occurs twice, found once"},
        {2, {0.99, 0.75, 0.61, 0.59}, 3, false, "occurs twice, second best decides"},
        {1, {}, 0, true, "not found"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        xc_OCExtractCharResult r;
        r.numOccurrences(c.occurrences);
        for (std::size_t i = 0; i < c.scores.size(); ++i) {
            xc_OCExtractCharInstance inst;
            inst.score = c.scores[i];
            inst.pose = xcXform<2>(xcMatrix<2>::rotation(xcRadian(0.1), 2.0), {double(i), 5.0});
            xc_OCExtractTestAccess::append(r, inst);
        }
        xc_CharData data;
        std::vector<xc_Pose> poses;
        std::vector<double> scores;
        xf_ArrangeTakeCandidates_(r, data, poses, scores);
        EXPECT_EQ(std::tuple(data.numCandidates, data.allowUnmatched, data.hasCandidates),
                  std::tuple(c.numCandidates, c.allowUnmatched, !c.scores.empty()));
        EXPECT_EQ(scores, c.scores);
        ASSERT_EQ(poses.size(), c.scores.size());
        for (std::size_t i = 0; i < poses.size(); ++i) // angle, scale and place of instance i
            EXPECT_LT((poses[i].xform().mapPoint({1, 1}) - r.pose(long(i)).mapPoint({1, 1})).len(),
                      1e-12);
    }
}

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
        if (c.accepted)
            expectNear({fit.matchTerm, fit.unmatchedTerm, fit.lineBreakTerm},
                       {c.match, c.unmatched, c.lineBreak});
    }
}

TEST(OCArrangeCompat, DistanceAndAngleRules) {
    // 10 x 10 characters have diagonals of 14.14, so neighbours may stand 28.28 apart.
    struct Case {
        xc_Pose a, b;
        bool compatible;
        Sym symA = eNoSymmetry, symB = eNoSymmetry;
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
}

TEST(OCArrangeSearch, OutcomesCompletionAndTheTimeLimit) {
    // Character i's candidates lie at x = 1000 i, out of reach of its neighbours'.
    struct Case {
        std::vector<std::vector<double>> scores; // per character, empty: no candidates
        bool complete;
        xc_ArrangePath best;
        long maxCandidates = 500000, maxUnmatched = kAny, maxLines = kAny;
        double lineBreakCost = 2;
        bool firstMustMatch = false;
    } cases[] = {
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
    // Circular lines only: two neighbours make a line in a path two long, not in one of three,
    // whose lines must fit circles; every character ends on a line of its own.
    Scene c;
    c.params.lineType(Defs::eCircular);
    c.add(1, {at(0)}), c.add(2, {at(10)}), c.add(3, {});
    xc_ArrangePath best;
    ASSERT_TRUE(xf_ArrangeSearch_(c.ctx(), best));
    EXPECT_EQ(best.lineStarts, (std::vector<long>{0, 1, 2}));
    xcAttentionTag tag;
    tag.attachTimeout(0.0);
    EXPECT_THROW(xf_ArrangeSearch_(c.ctx(), best), xcTimeout::Expired);
}

// One expected character with a single candidate, its model box 10 wide.
struct C {
    double x, y, angleDeg = 0.0;
    bool matched = true;
    Sym symmetry = eNoSymmetry;
    double scale = 1.0, height = 20.0;
};

// Characters on the circle of radius r about the origin at the given polar angles, turned by
// turnDeg from the radius (+90 follows the tangent clockwise on screen, -90 counter-clockwise).
std::vector<C> arc(double r, const std::vector<double>& thetaDeg, double turnDeg) {
    std::vector<C> out;
    for (double t : thetaDeg)
        out.push_back({r * std::cos(t * kDeg), r * std::sin(t * kDeg), t + turnDeg});
    return out;
}

// Variations of the default parameters: kDirection specifies the reading direction (+x, and
// clockwise unless kCounterClockwise), kUpright the orientation 0; kOnlyScaleCost zeroes every
// other geometric cost; kLoneFirst puts the first character on a line of its own.
constexpr unsigned kStraightOnly = 1, kCircularOnly = 2, kDirection = 4, kCounterClockwise = 8,
                   kFlipped = 16, kUpright = 32, kOnlyScaleCost = 64, kTangential2 = 128,
                   kLoneFirst = 256;

struct Arrangement : Scene {
    xc_ArrangePath path;
    xc_ArrangeFit fit;
    explicit Arrangement(const std::vector<C>& cs, unsigned opts = 0) {
        for (const C& c : cs) {
            add(1, {at(c.x, c.y, c.angleDeg, c.scale)}, {}, 10, c.height).symmetry = c.symmetry;
            path.choices.push_back(c.matched ? 0 : -1);
        }
        path.lineStarts = opts & kLoneFirst ? std::vector<long>{0, 1} : std::vector<long>{0};
        if (opts & kStraightOnly) params.lineType(Defs::eStraight);
        if (opts & kCircularOnly) params.lineType(Defs::eCircular);
        params.isTextDirectionSpecified(opts & kDirection);
        params.isCircularTextDirectionClockwise(!(opts & kCounterClockwise));
        isFlipped = opts & kFlipped;
        if (opts & kUpright) params.orientationMode(Defs::eSpecified);
        if (opts & kOnlyScaleCost)
            params.normalTransCost(0), params.tangentialTransCost(0), params.orientationCost(0);
        if (opts & kTangential2) params.tangentialTransCost(2);
    }
    bool operator()(bool isFinal) { return xf_ArrangeLineCosts_(ctx(), path, isFinal, fit); }
};

struct Row {
    const char* what;
    unsigned opts;
    int want; // kReject, or the type of the last line
    std::vector<C> chars;
    std::vector<double> terms = {}; // normal, tangential, orientation, scale, spacing; {} = any
};

TEST(ArrangeLineCosts, ModelsAndTerms) {
    const int straight = Defs::eStraight, circular = Defs::eCircular;
    const std::vector<double> free = {0, 0, 0, 0, 0};
    // Clockwise on screen (polar angle growing) and counter-clockwise, both read towards +x.
    const std::vector<C> cw = arc(30, {240, 270, 300}, 90), ccw = arc(30, {120, 90, 60}, -90);
    const C skip{0, 0, 0, false}, twice{40, 0, 10, true, eNoSymmetry, 2};
    auto middle = [](double deg, Sym s) {
        return std::vector<C>{{0, 0}, {15, 0, deg, true, s}, {30, 0}};
    };
    const std::vector<Row> rows = {
        {"off along", 0, straight, {{0, 0}, {18, 0}, {30, 0}}, {0, 0.3, 0, 0, 0}},
        {"off across", kStraightOnly, straight, {{0, 0}, {15, 2}, {30, 0}}, {2.0 / 15, 0, 0, 0, 0}},
        {"middle past the last", 0, kReject, {{0, 0}, {30, 0}, {15, 0}}},
        {"right to left", 0, straight, {{30, 0}, {15, 0}, {0, 0}}, free},
        {"right to left, direction +x", kDirection, kReject, {{30, 0}, {15, 0}, {0, 0}}},
        {"clockwise arc", 0, circular, cw, free},
        {"tie at no cost: straight", kOnlyScaleCost, straight, cw},
        {"clockwise arc unwanted", kDirection | kCounterClockwise, straight, cw},
        {"counter-clockwise arc unwanted", kDirection, straight, ccw},
        {"counter-clockwise arc in a mirror", kDirection | kFlipped, circular, ccw, free},
        {"arc of 4 degrees", kCircularOnly, kReject, arc(1000, {-2, 0, 2}, 90)},
        {"arc of 6 degrees", kCircularOnly, circular, arc(1000, {-3, 0, 3}, 90)},
        {"a step of 200 degrees", kCircularOnly, kReject, arc(30, {0, 200, 210}, 90)},
        {"> full turn", kCircularOnly, kReject, arc(30, {0, 170, 340, 510, 520, 530, 540}, 90)},
        {"circular, 2 of 3 matched", kCircularOnly, kReject, {{0, 0}, skip, {30, 0}}},
        {"circular, 2 before a 3rd", kCircularOnly, straight, {{0, 0}, {15, 0}}, free},
        {"180-symmetric upside down", kUpright, straight, middle(180, e180Symmetry), free},
        {"180-symmetric at 90", kUpright, straight, middle(90, e180Symmetry), {0, 0, 2, 0, 0}},
        {"fully symmetric at 45", kUpright, straight, middle(45, eFullSymmetry), free},
        {"gap 0.8 widths", 0, straight, {{0, 0}, {8, 0}}, free},
        {"gap 2.5 widths", 0, straight, {{0, 0}, {25, 0}}, free},
        {"gap 3 widths", 0, straight, {{0, 0}, {30, 0}}, {0, 0, 0, 0, 0.5}},
        {"gap half a width", kTangential2, straight, {{0, 0}, {5, 0}}, {0, 0, 0, 0, 0.75}},
        {"2 of 3", 0, straight, {{0, 0}, skip, twice}, {0, 0, 1. / 3, 1.5, 0}},
        {"a lone one, then a pair", kLoneFirst, straight, {{0, 0, 30}, {0, 50}, {15, 50}}, free},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Arrangement run(row.chars, row.opts);
        ASSERT_EQ(run(false), row.want != kReject);
        if (row.want == kReject) continue;
        const xc_ArrangeFit& f = run.fit;
        ASSERT_EQ(f.lineTypes.size(), run.path.lineStarts.size());
        EXPECT_EQ(f.lineTypes.back(), row.want);
        if (row.terms.empty()) continue;
        expectNear({f.normalTerm, f.tangentialTerm, f.orientationTerm, f.scaleTerm, f.spacingTerm},
                   row.terms);
    }
}

// Final evaluations. A 180-symmetric character counts in the reading nearer the others' mean, a
// fully symmetric one not at all; a lone character's line takes its angle and scale.
TEST(ArrangeLineCosts, FinalFitsAndPredictions) {
    Arrangement lone({{3, 4, 30, true, eNoSymmetry, 1.5},
                      {0, 50},
                      {15, 50, 200, true, e180Symmetry},
                      {30, 50, 77, true, eFullSymmetry},
                      {45, 50}},
                     kLoneFirst);
    ASSERT_TRUE(lone(true));
    const xc_ArrangeFit* f = &lone.fit;
    EXPECT_EQ(f->lineTypes[0], Defs::eDontCare);
    expectNear({f->expectedPositions[0].x(), f->expectedPositions[0].y(),
                f->expectedAngles[0].toDouble(), f->lineAngles[0].toDouble(), f->lineScales[0],
                f->lineAngles[1].toDouble(), f->lineScales[1]},
               {3, 4, 30 * kDeg, 30 * kDeg, 1.5,
                std::atan2(-std::sin(200 * kDeg), 2 - std::cos(200 * kDeg)), 1.0});
    // Upright characters stacked down the image: the two unmatched ones are placed by their
    // heights (20, 20, 60, 20 along the line: inner 100, gap 20/3) and stay upright, relative to
    // the line at the mean of -90 degrees.
    Arrangement down({{5, 0},
                      {9, 9, 30, false},
                      {9, 9, 30, false, eNoSymmetry, 1, 60},
                      {5, 120, 0, true, eNoSymmetry, 4}});
    ASSERT_TRUE(down(true));
    f = &down.fit;
    ASSERT_EQ(f->lineSegments.size(), 1u);
    const xcLineSeg& seg = f->lineSegments[0];
    expectNear({f->expectedPositions[1].x(), f->expectedPositions[1].y(),
                f->expectedPositions[2].y(), f->expectedPositions[3].y(),
                f->expectedAngles[1].toDouble(), f->expectedAngles[3].toDouble(), f->scaleErrors[0],
                f->scaleErrors[1], f->scaleErrors[3], seg.p1().y(), seg.p2().x(), seg.p2().y(),
                f->lineAngles[0].toDouble()},
               {5, 20 + 20.0 / 3, 80 - 20.0 / 3, 120, 0, 0, -1, 0, 1, 0, 5, 120, -90 * kDeg});
    // A clockwise arc of 60 degrees with four equally wide characters: the unmatched second one
    // stands a third of the way, turned along the tangent; the arc starts at the first character.
    std::vector<C> chars = arc(30, {-30, 0, 10, 30}, 90);
    chars[1].matched = false;
    Arrangement round(chars, kCircularOnly);
    ASSERT_TRUE(round(true));
    f = &round.fit;
    ASSERT_EQ(f->lineArcs.size(), 1u);
    const xcEllipseArc2& a = f->lineArcs[0];
    expectNear({a.centre().x(), a.centre().y(), a.xRadius(), a.yRadius(), a.rotation().toDouble(),
                a.start().toDouble(), a.span().toDouble(), f->expectedPositions[1].x(),
                f->expectedPositions[1].y(), f->expectedAngles[1].toDouble()},
               {0, 0, 30, 30, 0, -30 * kDeg, 60 * kDeg, 30 * std::cos(10 * kDeg),
                -30 * std::sin(10 * kDeg), 80 * kDeg});
}

} // namespace
