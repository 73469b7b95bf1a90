// The line models of one path: the straight and circular fits, their cost terms and, in the
// final evaluation, what they predict for every character.
#include "oc/arrange/line_model.h"

#include "oc/arrange/arrange_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace arrange_test;

namespace {

using Defs = xcOCArrangeDefs;
using Sym = xc_OCExtractDefs::Symmetry;
constexpr Sym kNone = xc_OCExtractDefs::eNoSymmetry, k180 = xc_OCExtractDefs::e180Symmetry,
              kFull = xc_OCExtractDefs::eFullSymmetry;

// One expected character with a single candidate and its model box.
struct C {
    double x, y, angleDeg = 0.0;
    bool matched = true;
    Sym symmetry = kNone;
    double scale = 1.0, width = 10.0, height = 20.0;
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
            add(1, {at(c.x, c.y, c.angleDeg, c.scale)}, {}, c.width, c.height).symmetry =
                c.symmetry;
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

constexpr int kReject = -1;

void expectNear(const std::vector<double>& got, const std::vector<double>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got[i], want[i], 1e-9) << "value " << i;
}

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
    const C skip{0, 0, 0, false}, twice{40, 0, 10, true, kNone, 2};
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
        {"180-symmetric upside down", kUpright, straight, middle(180, k180), free},
        {"180-symmetric at 90", kUpright, straight, middle(90, k180), {0, 0, 2, 0, 0}},
        {"fully symmetric at 45", kUpright, straight, middle(45, kFull), free},
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

// A 180-symmetric character counts in the reading nearer the others' mean, a fully symmetric one
// not at all. A lone character's line takes its angle and scale; it keeps its own pose.
TEST(ArrangeLineCosts, LineAnglesAndScales) {
    Arrangement run({{3, 4, 30, true, kNone, 1.5},
                     {0, 50},
                     {15, 50, 200, true, k180},
                     {30, 50, 77, true, kFull},
                     {45, 50}},
                    kLoneFirst);
    ASSERT_TRUE(run(true));
    const xc_ArrangeFit& f = run.fit;
    EXPECT_EQ(f.lineTypes[0], Defs::eDontCare);
    expectNear({f.expectedPositions[0].x(), f.expectedPositions[0].y(),
                f.expectedAngles[0].toDouble(), f.lineAngles[0].toDouble(), f.lineScales[0],
                f.lineAngles[1].toDouble(), f.lineScales[1]},
               {3, 4, 30 * kDeg, 30 * kDeg, 1.5,
                std::atan2(-std::sin(200 * kDeg), 2 - std::cos(200 * kDeg)), 1.0});
}

// Final evaluation of upright characters stacked down the image: the two unmatched ones are
// placed by their heights (20, 20, 60, 20 along the line: inner 100, gap 20/3) and stay upright,
// relative to the line at the mean of -90 degrees.
TEST(ArrangeLineCosts, FinalStraightPredictions) {
    Arrangement run({{5, 0},
                     {9, 9, 30, false},
                     {9, 9, 30, false, kNone, 1, 10, 60},
                     {5, 120, 0, true, kNone, 4}});
    ASSERT_TRUE(run(true));
    const xc_ArrangeFit& f = run.fit;
    ASSERT_EQ(f.lineSegments.size(), 1u);
    const xcLineSeg& seg = f.lineSegments[0];
    expectNear({f.expectedPositions[1].x(), f.expectedPositions[1].y(), f.expectedPositions[2].y(),
                f.expectedPositions[3].y(), f.expectedAngles[1].toDouble(),
                f.expectedAngles[3].toDouble(), f.scaleErrors[0], f.scaleErrors[1],
                f.scaleErrors[3], seg.p1().y(), seg.p2().x(), seg.p2().y(),
                f.lineAngles[0].toDouble()},
               {5, 20 + 20.0 / 3, 80 - 20.0 / 3, 120, 0, 0, -1, 0, 1, 0, 5, 120, -90 * kDeg});
}

// Final evaluation on a clockwise arc of 60 degrees with four equally wide characters: the
// unmatched second one stands a third of the way, turned along the tangent; the arc starts at
// the first character.
TEST(ArrangeLineCosts, FinalCircularPredictions) {
    std::vector<C> chars = arc(30, {-30, 0, 10, 30}, 90);
    chars[1].matched = false;
    Arrangement run(chars, kCircularOnly);
    ASSERT_TRUE(run(true));
    const xc_ArrangeFit& f = run.fit;
    ASSERT_EQ(f.lineArcs.size(), 1u);
    const xcEllipseArc2& a = f.lineArcs[0];
    expectNear({a.centre().x(), a.centre().y(), a.xRadius(), a.yRadius(), a.rotation().toDouble(),
                a.start().toDouble(), a.span().toDouble(), f.expectedPositions[1].x(),
                f.expectedPositions[1].y(), f.expectedAngles[1].toDouble()},
               {0, 0, 30, 30, 0, -30 * kDeg, 60 * kDeg, 30 * std::cos(10 * kDeg),
                -30 * std::sin(10 * kDeg), 80 * kDeg});
}

} // namespace
