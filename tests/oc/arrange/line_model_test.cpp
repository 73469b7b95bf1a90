#include "oc/arrange/line_model.h"

#include "oc/oc/alphabet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

namespace {

using Defs = xcOCArrangeDefs;
using Sym = xc_OCExtractDefs::Symmetry;

constexpr double kDeg = std::numbers::pi / 180.0;

// One expected character with a single candidate and its model box.
struct C {
    double x, y, angleDeg = 0.0;
    bool matched = true;
    Sym symmetry = xc_OCExtractDefs::eNoSymmetry;
    double scale = 1.0;
    double width = 10.0;
    double height = 20.0;
};

// A character on the circle of radius r about the origin at polar angle thetaDeg, turned along
// the circle's tangent (+90 degrees clockwise, -90 counter-clockwise).
C onCircle(double r, double thetaDeg, double turnDeg, bool matched = true) {
    return {r * std::cos(thetaDeg * kDeg), r * std::sin(thetaDeg * kDeg), thetaDeg + turnDeg,
            matched};
}

struct Arrangement {
    xcOCAlphabet alphabet;
    std::vector<long> keys;
    std::vector<xc_CharData> charData;
    std::vector<std::vector<xc_Pose>> poses;
    std::vector<std::vector<double>> scores;
    xcOCArrangeParams params;
    bool isFlipped = false;
    xc_ArrangePath path;
    xc_ArrangeFit fit;

    Arrangement(const std::vector<C>& chars, const std::vector<long>& lineStarts) {
        for (const C& c : chars) {
            keys.push_back(1);
            xc_CharData d;
            d.rect(xcAffineRectangle({0, 0}, {c.width, 0}, {0, c.height}));
            d.symmetry = c.symmetry;
            charData.push_back(d);
            poses.push_back({xc_Pose({c.x, c.y}, xcRadian(c.angleDeg * kDeg), c.scale)});
            scores.push_back({1.0});
            path.choices.push_back(c.matched ? 0 : -1);
        }
        path.lineStarts = lineStarts;
    }
    bool operator()(bool isFinal) {
        const xc_ArrangeContext ctx{alphabet, keys, charData, poses, scores, params, isFlipped};
        return xf_ArrangeLineCosts_(ctx, path, isFinal, fit);
    }
};

struct Row {
    const char* what;
    std::vector<C> chars;
    std::function<void(Arrangement&)> tweak;
    bool accepted;
    Defs::LineType lastType = Defs::eStraight;
    std::vector<double> terms = {}; // normal, tangential, orientation, scale, spacing; {} = any
    std::vector<long> lineStarts = {0};
};

void none(Arrangement&) {
}
void circularOnly(Arrangement& r) {
    r.params.lineType(Defs::eCircular);
}
void readingDirection(Arrangement& r, bool clockwise, bool flipped) {
    r.params.isTextDirectionSpecified(true);
    r.params.isCircularTextDirectionClockwise(clockwise);
    r.isFlipped = flipped;
}
void expectUpright(Arrangement& r) {
    r.params.orientationMode(Defs::eSpecified);
}

const std::vector<double> kFree = {0, 0, 0, 0, 0};
// Clockwise on screen (polar angle growing), and counter-clockwise, both read towards +x.
const std::vector<C> kCw = {onCircle(30, 240, 90), onCircle(30, 270, 90), onCircle(30, 300, 90)};
const std::vector<C> kCcw = {onCircle(30, 120, -90), onCircle(30, 90, -90), onCircle(30, 60, -90)};

TEST(ArrangeLineCosts, ModelsAndTerms) {
    const double ninth = 1.0 / 9.0;
    const std::vector<Row> rows = {
        {"evenly spaced by widths", {{0, 0}, {15, 0}, {30, 0}}, none, true, Defs::eStraight, kFree},
        {"middle off along",
         {{0, 0}, {18, 0}, {30, 0}},
         none,
         true,
         Defs::eStraight,
         {0, 0.3, 0, 0, 0}},
        {"middle off across",
         {{0, 0}, {15, 2}, {30, 0}},
         [](Arrangement& r) { r.params.lineType(Defs::eStraight); },
         true,
         Defs::eStraight,
         {2.0 / 15.0, 0, 0, 0, 0}},
        {"middle swapped past the last", {{0, 0}, {30, 0}, {15, 0}}, none, false},
        {"read right to left", {{30, 0}, {15, 0}, {0, 0}}, none, true, Defs::eStraight, kFree},
        {"right to left against the direction",
         {{30, 0}, {15, 0}, {0, 0}},
         [](Arrangement& r) { r.params.isTextDirectionSpecified(true); },
         false},
        {"clockwise arc", kCw, none, true, Defs::eCircular, kFree},
        {"clockwise arc at no cost: the straight line wins the tie", kCw,
         [](Arrangement& r) {
             r.params.normalTransCost(0);
             r.params.tangentialTransCost(0);
             r.params.orientationCost(0);
         },
         true, Defs::eStraight},
        {"clockwise arc wanted", kCw, [](Arrangement& r) { readingDirection(r, true, false); },
         true, Defs::eCircular, kFree},
        {"clockwise arc unwanted", kCw, [](Arrangement& r) { readingDirection(r, false, false); },
         true, Defs::eStraight},
        {"counter-clockwise arc unwanted", kCcw,
         [](Arrangement& r) { readingDirection(r, true, false); }, true, Defs::eStraight},
        {"counter-clockwise arc in a mirror", kCcw,
         [](Arrangement& r) { readingDirection(r, true, true); }, true, Defs::eCircular, kFree},
        {"arc of 4 degrees",
         {onCircle(1000, -2, 90), onCircle(1000, 0, 90), onCircle(1000, 2, 90)},
         circularOnly,
         false},
        {"arc of 6 degrees",
         {onCircle(1000, -3, 90), onCircle(1000, 0, 90), onCircle(1000, 3, 90)},
         circularOnly,
         true,
         Defs::eCircular},
        {"more than a full turn",
         {onCircle(30, 0, 90), onCircle(30, 170, 90), onCircle(30, 340, 90), onCircle(30, 510, 90),
          onCircle(30, 520, 90), onCircle(30, 530, 90), onCircle(30, 540, 90)},
         circularOnly,
         false},
        {"a step of 200 degrees",
         {onCircle(30, 0, 90), onCircle(30, 200, 90), onCircle(30, 210, 90)},
         circularOnly,
         false},
        {"two matched of three on a circular line",
         {{0, 0}, {15, 0, 0, false}, {30, 0}},
         circularOnly,
         false},
        {"two on a circular line before a third",
         {{0, 0}, {15, 0}},
         circularOnly,
         true,
         Defs::eStraight,
         kFree},
        {"180-symmetric upside down",
         {{0, 0}, {15, 0, 180, true, xc_OCExtractDefs::e180Symmetry}, {30, 0}},
         expectUpright,
         true,
         Defs::eStraight,
         kFree},
        {"180-symmetric at 90 degrees",
         {{0, 0}, {15, 0, 90, true, xc_OCExtractDefs::e180Symmetry}, {30, 0}},
         expectUpright,
         true,
         Defs::eStraight,
         {0, 0, 2.0, 0, 0}},
        {"fully symmetric at 45 degrees",
         {{0, 0}, {15, 0, 45, true, xc_OCExtractDefs::eFullSymmetry}, {30, 0}},
         expectUpright,
         true,
         Defs::eStraight,
         kFree},
        {"gap 0.8 widths", {{0, 0}, {8, 0}}, none, true, Defs::eStraight, kFree},
        {"gap 2.5 widths", {{0, 0}, {25, 0}}, none, true, Defs::eStraight, kFree},
        {"gap 3 widths", {{0, 0}, {30, 0}}, none, true, Defs::eStraight, {0, 0, 0, 0, 0.5}},
        {"gap half a width, tangential cost 2",
         {{0, 0}, {5, 0}},
         [](Arrangement& r) { r.params.tangentialTransCost(2.0); },
         true,
         Defs::eStraight,
         {0, 0, 0, 0, 0.75}},
        {"two of three matched",
         {{0, 0, 0}, {20, 0, 0, false}, {40, 0, 10, true, xc_OCExtractDefs::eNoSymmetry, 2.0}},
         none,
         true,
         Defs::eStraight,
         {0, 0, 1.5 * 2 * ninth, 1.5, 0}},
        {"a lone character, then a pair",
         {{0, 0, 30}, {0, 50}, {15, 50}},
         none,
         true,
         Defs::eStraight,
         kFree,
         {0, 1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Arrangement run(row.chars, row.lineStarts);
        row.tweak(run);
        ASSERT_EQ(run(false), row.accepted);
        if (!row.accepted) continue;
        const xc_ArrangeFit& f = run.fit;
        ASSERT_EQ(f.lineTypes.size(), row.lineStarts.size());
        EXPECT_EQ(f.lineTypes.back(), row.lastType);
        EXPECT_EQ(f.lineAngles.size(), row.lineStarts.size());
        EXPECT_TRUE(f.expectedPositions.empty() && f.lineSegments.empty());
        if (row.terms.empty()) continue;
        const double got[] = {f.normalTerm, f.tangentialTerm, f.orientationTerm, f.scaleTerm,
                              f.spacingTerm};
        for (int i = 0; i < 5; ++i) EXPECT_NEAR(got[i], row.terms[i], 1e-9) << "term " << i;
    }
}

// A 180-symmetric character counts in the reading nearer the others' mean; a fully symmetric one
// not at all. A lone character's line takes its angle and scale, and it keeps its own pose as
// its prediction.
TEST(ArrangeLineCosts, LineAnglesAndScales) {
    Arrangement run({{3, 4, 30, true, xc_OCExtractDefs::eNoSymmetry, 1.5},
                     {0, 50},
                     {15, 50, 200, true, xc_OCExtractDefs::e180Symmetry},
                     {30, 50, 77, true, xc_OCExtractDefs::eFullSymmetry},
                     {45, 50}},
                    {0, 1});
    ASSERT_TRUE(run(true));
    const xc_ArrangeFit& f = run.fit;
    EXPECT_EQ(f.lineTypes[0], Defs::eDontCare);
    EXPECT_EQ(f.expectedPositions[0], xcVector<2>(3, 4));
    EXPECT_EQ(f.expectedAngles[0], run.poses[0][0].angle);
    EXPECT_NEAR(f.lineAngles[0].toDouble(), 30 * kDeg, 1e-12);
    EXPECT_EQ(f.lineScales[0], 1.5);
    EXPECT_NEAR(f.lineAngles[1].toDouble(),
                std::atan2(-std::sin(200 * kDeg), 2 - std::cos(200 * kDeg)), 1e-12);
    EXPECT_NEAR(f.lineScales[1], 1.0, 1e-12);
}

// Final evaluation of upright characters stacked down the image: the two unmatched ones are
// placed by their heights (20, 20, 60, 20 along the line: inner 100, gap 20/3) and stay upright,
// relative to the line at the mean of -90 degrees.
TEST(ArrangeLineCosts, FinalStraightPredictions) {
    const Sym none = xc_OCExtractDefs::eNoSymmetry;
    Arrangement run({{5, 0},
                     {9, 9, 30, false},
                     {9, 9, 30, false, none, 1.0, 10.0, 60.0},
                     {5, 120, 0, true, none, 4.0}},
                    {0});
    ASSERT_TRUE(run(true));
    const xc_ArrangeFit& f = run.fit;
    ASSERT_EQ(f.expectedPositions.size(), 4u);
    ASSERT_EQ(f.lineSegments.size(), 1u);
    const double got[] = {f.expectedPositions[1].x(),
                          f.expectedPositions[1].y(),
                          f.expectedPositions[2].y(),
                          f.expectedPositions[3].y(),
                          f.expectedAngles[1].toDouble(),
                          f.expectedAngles[3].toDouble(),
                          f.scaleErrors[0],
                          f.scaleErrors[1],
                          f.scaleErrors[3],
                          f.lineSegments[0].p1().y(),
                          f.lineSegments[0].p2().x(),
                          f.lineSegments[0].p2().y(),
                          f.lineAngles[0].toDouble()};
    const double want[] = {5, 20 + 20.0 / 3, 80 - 20.0 / 3, 120, 0, 0, -1, 0, 1, 0,
                           5, 120,           -90 * kDeg};
    for (int i = 0; i < 13; ++i) EXPECT_NEAR(got[i], want[i], 1e-9) << i;
}

// Final evaluation on a clockwise arc of 60 degrees with four equally wide characters: the
// unmatched second one stands a third of the way, turned along the tangent; the arc starts at
// the first character.
TEST(ArrangeLineCosts, FinalCircularPredictions) {
    Arrangement run({onCircle(30, -30, 90), onCircle(30, 0, 0, false), onCircle(30, 10, 90),
                     onCircle(30, 30, 90)},
                    {0});
    circularOnly(run);
    ASSERT_TRUE(run(true));
    const xc_ArrangeFit& f = run.fit;
    ASSERT_EQ(f.lineTypes[0], Defs::eCircular);
    ASSERT_EQ(f.lineArcs.size(), 1u);
    const xcEllipseArc2& arc = f.lineArcs[0];
    const double got[] = {arc.centre().x(),
                          arc.centre().y(),
                          arc.xRadius(),
                          arc.yRadius(),
                          arc.rotation().toDouble(),
                          arc.start().toDouble(),
                          arc.span().toDouble(),
                          f.expectedPositions[1].x(),
                          f.expectedPositions[1].y(),
                          f.expectedAngles[1].toDouble()};
    const double want[] = {0,
                           0,
                           30,
                           30,
                           0,
                           -30 * kDeg,
                           60 * kDeg,
                           30 * std::cos(10 * kDeg),
                           -30 * std::sin(10 * kDeg),
                           80 * kDeg};
    for (int i = 0; i < 10; ++i) EXPECT_NEAR(got[i], want[i], 1e-9) << i;
}

} // namespace
