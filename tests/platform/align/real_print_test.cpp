// Faults seen on printed codes: the turned pose of a nearly symmetric glyph preferred to the
// upright one, a character dropped for its neighbour on a tilted line.
#include "align_test_util.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const char* const kBoldMono = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";

// Whether a result lies within `pel` pels and `deg` degrees of a placement.
bool at(const xcAlignResult& r, const oc_test::Placement& p, double pel, double deg) {
    return align_test::centreError(r.pose(), p.pose, p.glyph->centre()) <= pel &&
           align_test::angleDiffDeg(align_test::poseAngle(r.pose()),
                                    align_test::poseAngle(p.pose)) <= deg;
}

} // namespace

// Glyphs that look nearly the same turned by 180 degrees, upright and alone in a clean image:
// the upright pose comes first with the score of a perfect match, not the turned one.
TEST(AlignRealPrint, TurnedPoseOfNearlySymmetricGlyphDoesNotWinOverTheUprightOne) {
    for (char32_t ch : {U'2', U'8', U'X', U'M', U'Z', U'B', U'Q', U'E', U'G', U'N', U'S'}) {
        const oc_test::GlyphImage glyph(kBoldMono, ch, 24.0);
        xcAlignPattern pat;
        pat.train(glyph.trainImage(), 3, nullptr, 0);
        oc_test::Scene scene(120, 90);
        const oc_test::Placement p = scene.place(glyph, 0.0, 1.0, xcVector<2>(60.3, 44.6));
        xcAlignResultSet rs;
        pat.run(scene.finish(0, 0, 1), align_test::searchParams(0.8, 1.25, 12), rs, nullptr, 0);
        ASSERT_GE(rs.size(), 1u) << char(ch);
        EXPECT_TRUE(at(rs[0], p, 0.2, 0.5)) << char(ch) << " at " << rs[0].angleDeg();
        EXPECT_GT(rs[0].score(), 0.95) << char(ch);
    }
}

// Two upright instances and one turned by 180 degrees: each comes back at its own pose. (A glyph
// that is exactly symmetric may come back at either pose; these are not.)
TEST(AlignRealPrint, UprightAndTurnedInstancesEachComeBackAtTheirOwnPose) {
    for (char32_t ch : {U'2', U'8', U'S', U'G'}) {
        const oc_test::GlyphImage glyph(kBoldMono, ch, 24.0);
        xcAlignPattern pat;
        pat.train(glyph.trainImage(), 3, nullptr, 0);
        oc_test::Scene scene(200, 80);
        scene.place(glyph, 0.0, 1.0, xcVector<2>(40.2, 40.5));
        scene.place(glyph, 180.0, 1.0, xcVector<2>(100.7, 39.8));
        scene.place(glyph, 0.0, 1.0, xcVector<2>(160.4, 40.1));
        xcAlignResultSet rs;
        pat.run(scene.finish(0.7, 4, 3), align_test::searchParams(0.8, 1.25, 5), rs, nullptr, 0);
        for (const oc_test::Placement& p : scene.placements()) {
            bool found = false;
            for (const xcAlignResult& r : rs) found = found || (r.accepted() && at(r, p, 0.5, 1.0));
            EXPECT_TRUE(found) << char(ch) << " at " << p.angleDeg;
        }
    }
}

// Characters side by side on a tilted line, their cells touching: with the extraction's
// overlap limit of 0.2 every one is returned (the bounding boxes of neighbouring cells overlap
// by more than that, the cells themselves do not), before the look-alikes between them.
TEST(AlignRealPrint, NeighboursOnATiltedLineAreNotMergedAndComeBeforeLookAlikes) {
    const oc_test::GlyphImage eight(kBoldMono, U'8', 24.0, 2);
    const oc_test::GlyphImage bee(kBoldMono, U'B', 24.0, 2);
    xcAlignPattern pat;
    pat.train(eight.trainImage(), 3, nullptr, 0);
    oc_test::Scene scene(260, 160);
    const double tilt = 20.0, step = double(eight.trainWidth());
    const char* text = "88B8B88";
    for (int i = 0; text[i]; ++i) {
        const double a = tilt * std::numbers::pi / 180.0;
        scene.place(text[i] == '8' ? eight : bee, tilt, 1.0,
                    xcVector<2>(40.3 + i * step * std::cos(a), 50.6 + i * step * std::sin(a)));
    }
    xcAlignRunParams params = align_test::searchParams(0.8, 1.25, 7, 0.4);
    params.xyOverlap(0.2);
    xcAlignResultSet rs;
    pat.run(scene.finish(0.6, 3, 5), params, rs, nullptr, 0);
    int eights = 0;
    for (const oc_test::Placement& p : scene.placements()) {
        if (p.glyph != &eight) continue;
        ++eights;
        bool found = false;
        for (std::size_t i = 0; i < rs.size() && i < 5; ++i)
            found = found || at(rs[i], p, 0.5, 1.0);
        EXPECT_TRUE(found) << "8 at x " << p.pose.trans().x();
    }
    EXPECT_EQ(eights, 5);
}
