// Sub-pel location: a rendered glyph shifted by known fractions of a pel is located to within
// 0.1 pel (0.05 with the gradient fit); whole-pel accuracy rounds to the nearest placement.
#include "corrsearch_test_util.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Case {
    double blur, noise;
};

// The worst location error over a grid of sub-pel shifts, for one accuracy.
double worstError(const oc_test::GlyphImage& g, const xcCorrSearchModel& m, long accuracy,
                  const Case& c) {
    double worst = 0.0;
    int seed = 1;
    for (double fx = 0.0; fx < 0.99; fx += 0.125) {
        for (double fy : {0.0, 0.3, 0.55, 0.8}) {
            oc_test::Scene s(64, 60);
            const xcVector<2> centre(31.0 + fx, 29.0 + fy);
            s.place(g, 0.0, 1.0, centre);
            const auto img = s.finish(c.blur, c.noise, seed++);
            auto p = cs_test::runParams(0.5, 1);
            p.accuracy(accuracy);
            const auto res = cs_test::run(m, img, p);
            EXPECT_EQ(res.size(), 1u);
            if (res.empty()) return 1e9;
            EXPECT_GT(res[0].score(), 0.9);
            worst = std::max(worst, res[0].location().distance(cs_test::originAt(g, centre)));
        }
    }
    return worst;
}

} // namespace

TEST(CorrSearchSubPel, ShiftedGlyphLocatedWithinATenthOfAPel) {
    for (char32_t ch : {U'R', U'e', U'8'}) {
        const oc_test::GlyphImage g(oc_test::kSansFont, ch, 28.0, 3);
        for (const Case c : {Case{0.7, 0.0}, Case{0.0, 0.0}, Case{0.7, 3.0}}) {
            // The model is the glyph rendered the same way at a whole-pel position.
            oc_test::Scene t(g.trainWidth(), g.trainHeight());
            t.place(g, 0.0, 1.0, g.centre());
            const xcCorrSearchModel m = cs_test::trained(t.finish(c.blur, 0.0, 99));
            for (long accuracy : {3L, 4L}) {
                SCOPED_TRACE(testing::Message()
                             << "glyph " << char(ch) << " blur " << c.blur << " noise " << c.noise
                             << " accuracy " << accuracy);
                // The gradient fit (4) does far better than the quadratic surface (3).
                EXPECT_LE(worstError(g, m, accuracy, c), accuracy == 4 ? 0.05 : 0.1);
            }
            SCOPED_TRACE(testing::Message() << "glyph " << char(ch) << " parabolas");
            EXPECT_LE(worstError(g, m, 2, c), 0.25);
            // Whole pels: off by at most half a pel along each axis.
            EXPECT_LE(worstError(g, m, 1, c), std::sqrt(0.5) + 0.05);
        }
    }
}
