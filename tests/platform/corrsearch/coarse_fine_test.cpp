// The coarse-to-fine search finds the same best placement and score as scoring every placement
// at full resolution, on neighbourhood images of glyphs among other glyphs.
#include "corrsearch_test_util.h"

#include <gtest/gtest.h>

TEST(CorrSearchCoarseToFine, SameBestPlacementAsExhaustiveOnGlyphNeighbourhoods) {
    const char32_t chars[] = {U'R', U'B', U'8', U'e', U'a', U'3', U'H', U'S'};
    oc_test::Rng rng(11);
    int compared = 0;
    for (int i = 0; i < 16; ++i) {
        const oc_test::GlyphImage g(oc_test::kSansFont, chars[i % 8], rng.uniform(22.0, 32.0), 2);
        const oc_test::GlyphImage left(oc_test::kSansFont, chars[(i + 3) % 8], g.inkHeight(), 2);
        const oc_test::GlyphImage right(oc_test::kSansFont, chars[(i + 5) % 8], g.inkHeight(), 2);
        oc_test::Scene s(84, 80);
        const xcVector<2> c(rng.uniform(34.0, 50.0), rng.uniform(34.0, 46.0));
        s.place(g, rng.uniform(-3.0, 3.0), rng.uniform(0.95, 1.05), c);
        s.place(left, 0.0, 1.0, c - xcVector<2>(0.9 * g.trainWidth(), rng.uniform(-2.0, 2.0)));
        s.place(right, 0.0, 1.0, c + xcVector<2>(0.9 * g.trainWidth(), rng.uniform(-2.0, 2.0)));
        const auto img = s.finish(0.7, 5.0, rng.next());
        for (double angle : {-3.0, 0.0, 2.5}) {
            oc_test::Scene t(g.trainWidth() + 2, g.trainHeight() + 2);
            t.place(g, angle, 1.0, xcVector<2>(0.5 * t.width(), 0.5 * t.height()));
            const xcCorrSearchModel m = cs_test::trained(t.finish(0.7, 0.0, 1), 24);
            const auto fast = cs_test::run(m, img, cs_test::runParams(0.0, 1, 8));
            const auto full = cs_test::run(m, img, cs_test::runParams(0.0, 1, 16));
            ASSERT_EQ(fast.size(), 1u);
            ASSERT_EQ(full.size(), 1u);
            SCOPED_TRACE(testing::Message() << "scene " << i << " angle " << angle);
            EXPECT_NEAR(fast[0].score(), full[0].score(), 1e-6);
            EXPECT_NEAR(fast[0].location().x(), full[0].location().x(), 1e-6);
            EXPECT_NEAR(fast[0].location().y(), full[0].location().y(), 1e-6);
            ++compared;
        }
    }
    EXPECT_EQ(compared, 48);
}
