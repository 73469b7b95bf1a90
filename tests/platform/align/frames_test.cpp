// Coordinate frames and degrees of freedom: poses are client to client, zones and nominal values
// are in client terms, and a freedom that is not enabled stays at its nominal value.
#include "align_test_util.h"

#include <gtest/gtest.h>

// A pattern trained on an image enlarged twice whose client transform keeps the small image's
// client frame (as an affine resampling gives it) finds the small image at the identity pose
// and scale 1, not 0.5.
TEST(AlignFrames, EnlargedTrainImageKeepsItsClientFrame) {
    const oc_test::GlyphImage small(oc_test::kSansFont, U'L', 10.0, 2);
    const oc_test::GlyphImage large(oc_test::kSansFont, U'L', 20.0, 4);
    xcPelBuffer<unsigned char> train = large.trainImage();
    train.clientFromImageXform(xcXform<2>(xcMatrix<2>(0.5, 0, 0, 0.5), xcVector<2>(0, 0)));
    xcAlignPattern pat;
    pat.train(train, 3, nullptr, 0);
    xcAlignResultSet rs;
    pat.run(small.trainImage(), align_test::searchParams(0.8, 1.25, 1), rs, nullptr, 0);
    ASSERT_EQ(rs.size(), 1u);
    EXPECT_TRUE(rs[0].accepted());
    EXPECT_NEAR(rs[0].xScale(), 1.0, 0.01);
    EXPECT_NEAR(rs[0].angleDeg(), 0.0, 0.5);
    EXPECT_TRUE(xfRealEq(rs[0].pose(), xcXform<2>(), 0.15)) << rs[0].pose().trans().x();
}

// The run image's client frame is turned by 30 degrees and shifted: the pose maps into it and
// the angle is the client angle.
TEST(AlignFrames, PosesAndAnglesAreInTheRunImagesClientFrame) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'F', 26.0);
    xcAlignPattern pat;
    pat.train(glyph.trainImage(), 3, nullptr, 0);
    oc_test::Scene scene(140, 100);
    const oc_test::Placement truth = scene.place(glyph, 50.0, 1.05, xcVector<2>(70.4, 50.3));
    xcPelBuffer<unsigned char> img = scene.finish(0.7, 4.0, 4);
    const xcXform<2> cfi(xcVector<2>(100, 50), 1.0, 1.0, xcRadian(0.0), xcRadian(xcDegree(30.0)));
    img.clientFromImageXform(cfi);
    xcAlignResultSet rs;
    pat.run(img, align_test::searchParams(0.9, 1.2, 1), rs, nullptr, 0);
    ASSERT_EQ(rs.size(), 1u);
    EXPECT_NEAR(rs[0].angleDeg(), 80.0, 0.2);
    EXPECT_NEAR(rs[0].scale(), 1.05, 0.005);
    EXPECT_LT(align_test::centreError(rs[0].pose(), cfi * truth.pose, glyph.centre()), 0.1);
}

// Freedoms not enabled are held at their nominal values: an instance at the nominal pose is
// found with exactly that angle and scale, one at another angle is not accepted.
TEST(AlignFrames, DisabledZonesHoldTheNominalValues) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'J', 26.0);
    xcAlignPattern pat;
    pat.train(glyph.trainImage(), 3, nullptr, 0);
    oc_test::Scene scene(180, 90);
    const oc_test::Placement at40 = scene.place(glyph, 40.0, 1.1, xcVector<2>(45.2, 45.7));
    scene.place(glyph, -50.0, 1.1, xcVector<2>(130.6, 44.1));
    const xcPelBuffer<unsigned char> img = scene.finish(0.7, 4.0, 5);
    xcAlignRunParams p;
    // The turned J partly matches beside the upright one (about 0.6); only the instances count.
    p.acceptThreshold(0.7);
    p.nominal(1, 40.0);
    p.nominal(2, 1.1);
    p.numToFind(4);
    p.zone(1, -180, 180); // stored, but not enabled
    xcAlignResultSet rs;
    pat.run(img, p, rs, nullptr, 0);
    ASSERT_EQ(rs.numAccepted(), 1u);
    EXPECT_EQ(rs[0].angleDeg(), 40.0);
    EXPECT_EQ(rs[0].scale(), 1.1);
    EXPECT_LT(align_test::centreError(rs[0].pose(), at40.pose, glyph.centre()), 0.15);
    // A pattern trained for the angle only holds the scale at its nominal value even when the
    // run enables the scale zone.
    xcAlignPattern angleOnly;
    angleOnly.train(glyph.trainImage(), 1, nullptr, 0);
    p.zoneEnable(3);
    p.zone(2, 0.8, 1.3);
    angleOnly.run(img, p, rs, nullptr, 0);
    ASSERT_EQ(rs.numAccepted(), 2u);
    for (const xcAlignResult& r : rs) EXPECT_EQ(r.scale(), 1.1);
}

// A partial angle zone: instances inside it are found with their angle, one far outside is not
// accepted.
TEST(AlignFrames, PartialAngleZoneLimitsTheSearch) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'7', 26.0);
    xcAlignPattern pat;
    pat.train(glyph.trainImage(), 3, nullptr, 0);
    oc_test::Scene scene(180, 90);
    const oc_test::Placement in = scene.place(glyph, 15.0, 1.0, xcVector<2>(45.5, 45.5));
    scene.place(glyph, 120.0, 1.0, xcVector<2>(130.5, 45.5));
    xcAlignRunParams p;
    p.zoneEnable(1);
    p.zone(1, -20.0, 20.0);
    p.numToFind(4);
    xcAlignResultSet rs;
    pat.run(scene.finish(0.7, 4.0, 6), p, rs, nullptr, 0);
    ASSERT_EQ(rs.numAccepted(), 1u);
    EXPECT_NEAR(rs[0].angleDeg(), 15.0, 0.2);
    EXPECT_LT(align_test::centreError(rs[0].pose(), in.pose, glyph.centre()), 0.15);
}

// The self-match of the extraction's symmetry test: the glyph's own image turned by 180 degrees
// (content-following, so in client terms it is the glyph itself), searched at the nominal angle
// -180. A glyph that looks the same turned ('O') matches well, 'L' does not.
TEST(AlignFrames, HalfTurnSelfMatchSeparatesSymmetricGlyphs) {
    for (char32_t ch : {U'O', U'L'}) {
        const oc_test::GlyphImage glyph(oc_test::kSansFont, ch, 26.0);
        xcAlignPattern pat;
        pat.train(glyph.trainImage(), 3, nullptr, 0);
        // The train image turned by 180 degrees about its centre, with a client transform that
        // maps its pels back to the original's client coordinates.
        const xcPelBuffer<unsigned char> ti = glyph.trainImage();
        xcPelBuffer<unsigned char> turned(ti.width(), ti.height());
        for (long y = 0; y < ti.height(); ++y)
            for (long x = 0; x < ti.width(); ++x)
                *turned.pointToPel(x, y) = *ti.pointToPel(ti.width() - 1 - x, ti.height() - 1 - y);
        turned.clientFromImageXform(xcXform<2>(
            xcMatrix<2>(-1, 0, 0, -1), xcVector<2>(double(ti.width()), double(ti.height()))));
        xcAlignRunParams p;
        p.acceptThreshold(0.3);
        p.contrastThreshold(10.0);
        p.xyOverlap(0.3);
        p.nominal(1, -180.0);
        xcAlignResultSet rs;
        pat.run(turned, p, rs, nullptr, 0);
        ASSERT_GE(rs.size(), 1u);
        if (ch == U'O')
            EXPECT_GT(rs[0].score(), 0.7);
        else
            EXPECT_LT(rs[0].score(), 0.7);
    }
}

// The extraction's zone -179..180 is searched as the whole circle: an instance in the one-degree
// seam is found at its true angle, reported within [-179, 181).
TEST(AlignFrames, NearlyFullAngleZoneHasNoSeam) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'7', 26.0);
    xcAlignPattern pat;
    pat.train(glyph.trainImage(), 3, nullptr, 0);
    oc_test::Scene scene(100, 90);
    const oc_test::Placement seam = scene.place(glyph, -179.6, 1.0, xcVector<2>(50.5, 45.5));
    xcAlignRunParams p;
    p.zoneEnable(3);
    p.zone(1, -179.0, 180.0);
    p.zone(2, 0.9, 1.1);
    xcAlignResultSet rs;
    pat.run(scene.finish(0.7, 4.0, 6), p, rs, nullptr, 0);
    ASSERT_EQ(rs.numAccepted(), 1u);
    EXPECT_NEAR(rs[0].angleDeg(), 180.4, 0.2);
    EXPECT_LT(align_test::centreError(rs[0].pose(), seam.pose, glyph.centre()), 0.15);
}
