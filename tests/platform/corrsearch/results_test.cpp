// The result list: best first, found() and the accept threshold, maxNumResults, and overlap
// suppression by xyOverlap.
#include "corrsearch_test_util.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct TwoCopies {
    oc_test::GlyphImage g{oc_test::kSansFont, U'R', 24.0, 3};
    xcCorrSearchModel m;
    xcVector<2> clean{30.3, 30.2}, spoilt{92.3, 29.2};
    xcPelBuffer<unsigned char> img;
    TwoCopies() {
        oc_test::Scene t(g.trainWidth(), g.trainHeight());
        t.place(g, 0.0, 1.0, g.centre());
        m = cs_test::trained(t.finish(0.7, 0.0, 1));
        oc_test::Scene s(124, 60);
        s.place(g, 0.0, 1.0, clean);
        s.place(g, 0.0, 1.0, spoilt);
        s.fillRect(long(spoilt.x()) - 2, long(spoilt.y()) + 4, 8, 8, 120.0);
        img = s.finish(0.7, 2.0, 5);
    }
};

} // namespace

TEST(CorrSearchResults, BestFirstAcceptAndCount) {
    const TwoCopies t;
    const auto both = cs_test::run(t.m, t.img, cs_test::runParams(0.3, 5));
    ASSERT_EQ(both.size(), 2u);
    EXPECT_TRUE(both[0].found() && both[1].found());
    EXPECT_GT(both[0].score(), 0.95);
    EXPECT_LT(both[1].score(), both[0].score() - 0.05);
    EXPECT_LT(both[0].location().distance(cs_test::originAt(t.g, t.clean)), 0.1);
    EXPECT_LT(both[1].location().distance(cs_test::originAt(t.g, t.spoilt)), 0.5);
    for (const auto& r : both) EXPECT_LE(r.score(), 1.0);

    const auto one = cs_test::run(t.m, t.img, cs_test::runParams(0.3, 1));
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].location(), both[0].location());
    EXPECT_EQ(one[0].score(), both[0].score());

    // accept sits between the two scores, then above the best: finds below it are not reported.
    const double between = 0.5 * (both[0].score() + both[1].score());
    EXPECT_EQ(cs_test::run(t.m, t.img, cs_test::runParams(between, 5)).size(), 1u);
    EXPECT_EQ(cs_test::run(t.m, t.img, cs_test::runParams(both[1].score(), 5)).size(), 2u);
    EXPECT_TRUE(cs_test::run(t.m, t.img, cs_test::runParams(both[0].score() + 1e-9, 5)).empty());
}

TEST(CorrSearchResults, OverlappingFindsReducedToTheBetter) {
    // Two copies whose model rectangles overlap: 13 pels apart across, 2 down, on a wide margin.
    const oc_test::GlyphImage g(oc_test::kSansFont, U'o', 14.0, 8);
    oc_test::Scene t(g.trainWidth(), g.trainHeight());
    t.place(g, 0.0, 1.0, g.centre());
    const xcCorrSearchModel m = cs_test::trained(t.finish(0.7, 0.0, 1));
    oc_test::Scene s(80, 50);
    const xcVector<2> a(30.25, 24.25), b(43.25, 26.25);
    s.place(g, 0.0, 1.0, a);
    s.place(g, 0.0, 1.0, b, 90.0);
    const auto img = s.finish(0.7, 0.0, 1);
    const double w = double(m.width()), h = double(m.height());
    const double ratio = (w - 13.0) * (h - 2.0) / (w * h);
    ASSERT_GT(ratio, 0.1);

    const auto apart = cs_test::run(m, img, cs_test::runParams(0.3, 4, 8, ratio + 0.01));
    ASSERT_EQ(apart.size(), 2u);
    EXPECT_LT(apart[0].location().distance(cs_test::originAt(g, a)), 0.5);
    EXPECT_LT(apart[1].location().distance(cs_test::originAt(g, b)), 0.5);

    const auto merged = cs_test::run(m, img, cs_test::runParams(0.3, 4, 8, ratio - 0.01));
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_EQ(merged[0].location(), apart[0].location());
}
