// Runs of many models on one image reuse its prepared planes; changed pels, another image or
// another thread never get stale ones.
#include "corrsearch_test_util.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

struct Glyphs {
    oc_test::GlyphImage g{oc_test::kSansFont, U'G', 24.0, 3};
    xcCorrSearchModel m;
    Glyphs() {
        oc_test::Scene t(g.trainWidth(), g.trainHeight());
        t.place(g, 0.0, 1.0, g.centre());
        m = cs_test::trained(t.finish(0.7, 0.0, 1));
    }
    xcPelBuffer<unsigned char> sceneAt(const xcVector<2>& c) const {
        oc_test::Scene s(70, 64);
        s.place(g, 0.0, 1.0, c);
        return s.finish(0.7, 2.0, 3);
    }
};

} // namespace

TEST(CorrSearchCache, ChangedPelsAndOtherImagesAreNeverServedStale) {
    const Glyphs t;
    const xcVector<2> c1(30.4, 31.6), c2(38.2, 27.9);
    auto img = t.sceneAt(c1);
    const auto p = cs_test::runParams(0.5, 1);
    for (int repeat = 0; repeat < 2; ++repeat) {
        const auto r = cs_test::run(t.m, img, p);
        ASSERT_EQ(r.size(), 1u);
        EXPECT_LT(r[0].location().distance(cs_test::originAt(t.g, c1)), 0.1);
    }
    // The same buffer with the glyph wiped out in place.
    for (long y = 0; y < img.height(); ++y)
        for (long x = 0; x < img.width(); ++x) *img.pointToPel(x, y) = (x * 3 + y) % 5 + 100;
    const auto wiped = cs_test::run(t.m, img, p);
    EXPECT_TRUE(wiped.empty() || wiped[0].score() < 0.6);

    // Another image of the same size, then a window of it with a relabelled offset.
    const auto other = t.sceneAt(c2);
    const auto r2 = cs_test::run(t.m, other, p);
    ASSERT_EQ(r2.size(), 1u);
    EXPECT_LT(r2[0].location().distance(cs_test::originAt(t.g, c2)), 0.1);
    xcPelBuffer_const<unsigned char> win = other;
    win.window(xcPelRect(4, 2, 60, 58));
    const auto r3 = cs_test::run(t.m, win, p);
    ASSERT_EQ(r3.size(), 1u);
    EXPECT_LT(r3[0].location().distance(cs_test::originAt(t.g, c2)), 0.1);
}

TEST(CorrSearchCache, ThreadsSearchingDifferentImagesEachGetTheirOwn) {
    const Glyphs t;
    const xcVector<2> centres[2] = {{29.3, 30.1}, {40.6, 33.4}};
    const xcPelBuffer<unsigned char> imgs[2] = {t.sceneAt(centres[0]), t.sceneAt(centres[1])};
    double worst[2] = {0.0, 0.0};
    std::thread threads[2];
    for (int k = 0; k < 2; ++k) {
        threads[k] = std::thread([&, k] {
            for (int i = 0; i < 40; ++i) {
                const auto r = cs_test::run(t.m, imgs[(k + i) % 2], cs_test::runParams(0.5, 1));
                const xcVector<2> truth = cs_test::originAt(t.g, centres[(k + i) % 2]);
                worst[k] = std::max(worst[k], r.empty() ? 1e9 : r[0].location().distance(truth));
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_LT(worst[0], 0.1);
    EXPECT_LT(worst[1], 0.1);
}
