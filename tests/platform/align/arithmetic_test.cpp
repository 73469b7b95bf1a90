// The tool's own arithmetic checked against hand-computed values: the score's factors, the
// refit of a pose clamped to its zone, the wrap-around of angles at +-180 degrees, and the
// refusal of transforms that are not finite.
#include "align_test_util.h"
#include "support/caught.h"

#include "align/align_defs.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// Two equal dark squares side by side on light paper, 40 x 20 pels.
xcPelBuffer<unsigned char> twoSquares() {
    xcPelBuffer<unsigned char> img(40, 20);
    for (long y = 0; y < 20; ++y)
        for (long x = 0; x < 40; ++x)
            *img.pointToPel(x, y) =
                (y >= 5 && y < 15 && ((x >= 5 && x < 15) || (x >= 25 && x < 35))) ? 50 : 200;
    return img;
}

} // namespace

// The pattern is two squares; the run image shows only the left one, at a known place by the
// image's left edge (where the pattern's right square cannot be matched to it). Half of
// the trained edge points are met, every template pel lies inside the image, and the grey
// correlation is that of the pels at the identity placement, so the score is half of it.
TEST(AlignArithmetic, ScoreIsCorrelationTimesInsideShareTimesEdgeShare) {
    const xcPelBuffer<unsigned char> train = twoSquares();
    xcAlignPattern pat;
    pat.train(train, 3, nullptr, 0);
    xcPelBuffer<unsigned char> run(80, 60);
    for (long y = 0; y < 60; ++y)
        for (long x = 0; x < 80; ++x) *run.pointToPel(x, y) = 200;
    for (long y = 0; y < 20; ++y)
        for (long x = 0; x < 20; ++x) *run.pointToPel(x, y + 20) = *train.pointToPel(x, y);
    // The normalised correlation of the two 40 x 20 windows, by hand.
    double n = 0, st = 0, si = 0, stt = 0, sii = 0, sti = 0;
    for (long y = 0; y < 20; ++y)
        for (long x = 0; x < 40; ++x) {
            const double t = *train.pointToPel(x, y), i = *run.pointToPel(x, y + 20);
            n += 1;
            st += t;
            si += i;
            stt += t * t;
            sii += i * i;
            sti += t * i;
        }
    const double ncc = (sti - st * si / n) / std::sqrt((stt - st * st / n) * (sii - si * si / n));
    xcAlignRunParams p;
    p.acceptThreshold(0.2);
    xcAlignResultSet rs;
    pat.run(run, p, rs, nullptr, 0);
    ASSERT_GE(rs.size(), 1u);
    EXPECT_NEAR(rs[0].pose().trans().x(), 0.0, 0.1);
    EXPECT_NEAR(rs[0].pose().trans().y(), 20.0, 0.1);
    EXPECT_NEAR(rs[0].score(), 0.5 * ncc, 0.01);
    EXPECT_DOUBLE_EQ(rs[0].coverage(), 1.0);
}

// A glyph turned 3 degrees past the edge of a partial angle zone is reported at the edge, with
// the position fitted again at that angle: the same pose and score as a run that holds the
// angle at the edge value.
TEST(AlignArithmetic, AngleClampedToTheZoneEdgeRefitsThePosition) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'F', 28.0);
    // The train window holds the glyph in its left part, so that turning about the window's
    // centre moves the glyph and the position must follow the angle.
    oc_test::Scene trainScene(70, 40);
    const oc_test::Placement tp = trainScene.place(glyph, 0.0, 1.0, xcVector<2>(18.0, 20.0));
    xcAlignPattern pat;
    pat.train(trainScene.finish(0, 0, 1), 3, nullptr, 0);
    oc_test::Scene scene(140, 120);
    scene.place(glyph, 13.0, 1.0, xcVector<2>(60.4, 58.7));
    const xcPelBuffer<unsigned char> img = scene.finish(0.6, 2.0, 9);
    xcAlignRunParams zone;
    zone.zoneEnable(1);
    zone.zone(1, -10.0, 10.0);
    xcAlignRunParams held;
    held.nominal(1, 10.0);
    xcAlignResultSet rz, rh;
    pat.run(img, zone, rz, nullptr, 0);
    pat.run(img, held, rh, nullptr, 0);
    ASSERT_GE(rz.size(), 1u);
    ASSERT_GE(rh.size(), 1u);
    EXPECT_NEAR(rz[0].angleDeg(), 10.0, 1e-9);
    const xcVector<2> c(35.0, 20.0);
    EXPECT_LT((rz[0].pose().mapPoint(c) - rh[0].pose().mapPoint(c)).len(), 0.02);
    EXPECT_NEAR(rz[0].score(), rh[0].score(), 0.002);
    (void)tp;
}

// Instances at 179.7 and -179.6 degrees (one on each side of the wrap) in a full-circle search
// that merges only results of the same place and angle (xyOverlap 1.0): each is reported once.
TEST(AlignArithmetic, SameInstanceTestWrapsAroundAtHalfATurn) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'R', 26.0);
    xcAlignPattern pat;
    pat.train(glyph.trainImage(), 3, nullptr, 0);
    oc_test::Scene scene(200, 90);
    scene.place(glyph, 179.7, 1.0, xcVector<2>(50.3, 45.2));
    scene.place(glyph, -179.6, 1.0, xcVector<2>(140.6, 44.8));
    xcAlignRunParams p = align_test::searchParams(0.9, 1.1, 10);
    p.xyOverlap(1.0);
    xcAlignResultSet rs;
    pat.run(scene.finish(0.7, 3.0, 4), p, rs, nullptr, 0);
    EXPECT_EQ(rs.numAccepted(), 2u);
    for (const xcAlignResult& r : rs) {
        if (r.accepted()) {
            EXPECT_GT(std::fabs(r.angleDeg()), 179.0);
        }
    }
}

// Client transforms with an infinite entry are refused at training and at run time, and the
// result set is left as it was.
TEST(AlignArithmetic, NonFiniteClientTransformsAreRefused) {
    const double inf = std::numeric_limits<double>::infinity();
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'R', 26.0);
    xcPelBuffer<unsigned char> train = glyph.trainImage();
    xcAlignPattern pat;
    pat.train(train, 3, nullptr, 0);
    xcPelBuffer<unsigned char> run = train;
    xcAlignResultSet rs;
    pat.run(run, xcAlignRunParams(), rs, nullptr, 0);
    ASSERT_EQ(rs.size(), 1u);
    for (const xcXform<2>& bad : {xcXform<2>(xcMatrix<2>(1, 0, 0, 1), xcVector<2>(inf, 0)),
                                  xcXform<2>(xcMatrix<2>(1, 0, 0, 1), xcVector<2>(0, -inf))}) {
        xcPelBuffer<unsigned char> img = glyph.trainImage();
        img.clientFromImageXform(bad);
        EXPECT_EQ(caught<xc_AlignDefs::BadParams>([&] {
                      pat.run(img, xcAlignRunParams(), rs, nullptr, 0);
                  }).message(),
                  "client transform is not finite and invertible");
        EXPECT_EQ(rs.size(), 1u);
        xcAlignPattern other;
        caught<xc_AlignDefs::BadParams>([&] { other.train(img, 3, nullptr, 0); });
        EXPECT_FALSE(other.isTrained());
    }
}
