// What a run reports: how many results, their order, acceptance and overlap merging.
#include "align_test_util.h"

#include "align/align_defs.h"

#include <gtest/gtest.h>

namespace {

struct Fixture {
    oc_test::GlyphImage glyph{oc_test::kSansFont, U'K', 24.0};
    xcAlignPattern pat;
    Fixture() { pat.train(glyph.trainImage(), 3, nullptr, 0); }
};

xcAlignRunParams uprightParams(long numToFind, double accept = 0.5) {
    xcAlignRunParams p;
    p.acceptThreshold(accept);
    p.zoneEnable(1);
    p.zone(1, -30.0, 30.0);
    p.numToFind(numToFind);
    p.xyOverlap(0.3);
    return p;
}

} // namespace

// Five instances: numToFind caps the count, results come best first, and a larger numToFind
// gives all five and no unaccepted extras.
TEST(AlignResults, NumToFindCapsTheAcceptedResultsBestFirst) {
    Fixture f;
    oc_test::Scene scene(240, 60);
    for (int i = 0; i < 5; ++i)
        scene.place(f.glyph, 4.0 * i - 8.0, 1.0, xcVector<2>(25.3 + 46.0 * i, 30.6), 40.0 + 15 * i);
    const xcPelBuffer<unsigned char> img = scene.finish(0.7, 4.0, 11);
    xcAlignResultSet rs;
    f.pat.run(img, uprightParams(3), rs, nullptr, 0);
    ASSERT_EQ(rs.size(), 3u);
    EXPECT_EQ(rs.numAccepted(), 3u);
    for (std::size_t i = 1; i < rs.size(); ++i) EXPECT_GE(rs[i - 1].score(), rs[i].score());
    f.pat.run(img, uprightParams(8), rs, nullptr, 0);
    ASSERT_EQ(rs.size(), 5u);
    EXPECT_EQ(rs.numAccepted(), 5u);
    // Each placement is found once.
    for (const oc_test::Placement& p : scene.placements()) {
        int hits = 0;
        for (const xcAlignResult& r : rs)
            if (align_test::centreError(r.pose(), p.pose, f.glyph.centre()) < 0.5) ++hits;
        EXPECT_EQ(hits, 1);
    }
    EXPECT_THROW(rs[5], xc_AlignDefs::BadParams);
}

// When nothing reaches the accept threshold the best instance comes back alone, unaccepted.
TEST(AlignResults, NothingAcceptedGivesTheBestCandidateUnaccepted) {
    Fixture f;
    oc_test::Scene scene(160, 60);
    scene.place(f.glyph, 0.0, 1.0, xcVector<2>(40.5, 30.5));
    scene.place(f.glyph, 5.0, 1.0, xcVector<2>(110.5, 30.5), 120.0);
    xcAlignResultSet rs;
    f.pat.run(scene.finish(0.7, 4.0, 3), uprightParams(5, 0.999), rs, nullptr, 0);
    ASSERT_EQ(rs.size(), 1u);
    EXPECT_FALSE(rs[0].accepted());
    EXPECT_GT(rs[0].score(), 0.9);
    EXPECT_LT(rs[0].score(), 0.999);
    EXPECT_EQ(rs.numAccepted(), 0u);
}

// Two instances whose placed windows overlap by about half: merged into the better one under
// xyOverlap 0.3, both kept under 0.8.
TEST(AlignResults, XyOverlapMergesOverlappingInstances) {
    Fixture f;
    oc_test::Scene scene(120, 70);
    const double w = double(f.glyph.trainWidth());
    scene.place(f.glyph, 0.0, 1.0, xcVector<2>(45.0, 35.0));
    scene.place(f.glyph, 0.0, 1.0, xcVector<2>(45.0 + 0.55 * w, 35.0));
    const xcPelBuffer<unsigned char> img = scene.finish(0.5, 2.0, 5);
    xcAlignRunParams p = uprightParams(5, 0.3);
    xcAlignResultSet rs;
    p.xyOverlap(0.8);
    f.pat.run(img, p, rs, nullptr, 0);
    ASSERT_EQ(rs.size(), 2u);
    const double first = rs[0].score();
    p.xyOverlap(0.3);
    f.pat.run(img, p, rs, nullptr, 0);
    ASSERT_EQ(rs.size(), 1u);
    EXPECT_DOUBLE_EQ(rs[0].score(), first);
}

// An instance cut by the image border: coverage tells the share of its edges inside, and the
// score counts the missing part as a mismatch.
TEST(AlignResults, InstancesCutByTheBorderReportCoverageAndLoseScore) {
    Fixture f;
    oc_test::Scene scene(100, 60);
    scene.place(f.glyph, 0.0, 1.0, xcVector<2>(60.5, 30.5));
    scene.place(f.glyph, 0.0, 1.0, xcVector<2>(4.0, 30.5));
    xcAlignResultSet rs;
    f.pat.run(scene.finish(0.5, 2.0, 9), uprightParams(2, 0.2), rs, nullptr, 0);
    ASSERT_EQ(rs.size(), 2u);
    EXPECT_DOUBLE_EQ(rs[0].coverage(), 1.0);
    EXPECT_GT(rs[0].score(), 0.95);
    EXPECT_GT(rs[1].coverage(), 0.3);
    EXPECT_LT(rs[1].coverage(), 0.8);
    EXPECT_LT(rs[1].score(), 0.8);
    EXPECT_NEAR(rs[1].pose().trans().x() - rs[0].pose().trans().x(), -56.5, 0.2);
}

// Run images smaller than the pattern, down to one pel, and flat ones: the run completes and
// reports nothing accepted.
TEST(AlignResults, TinyAndFlatRunImagesGiveNoAcceptedResult) {
    Fixture f;
    for (long side : {1L, 2L, 3L, 7L, 16L, 40L}) {
        xcPelBuffer<unsigned char> img(side, side + 1);
        for (long y = 0; y < img.height(); ++y)
            for (long x = 0; x < img.width(); ++x)
                *img.pointToPel(x, y) =
                    static_cast<unsigned char>(side == 40 ? 128 : (x * 37 + y * 11) % 256);
        xcAlignResultSet rs;
        EXPECT_NO_THROW(f.pat.run(img, align_test::searchParams(0.5, 2.0, 3), rs, nullptr, 0))
            << side;
        EXPECT_EQ(rs.numAccepted(), 0u) << side;
    }
}
