// The correlation search: locations in client coordinates, sub-pel accuracy, the coarse-to-fine
// search against the exhaustive one, the result list, the image cache, time limits and refusals.
#include "corrsearch/corrsearch_defs.h"
#include "corrsearch/corrsearch_model.h"

#include "core/geom/xform.h"
#include "core/sys/attention.h"
#include "core/sys/timeout.h"
#include "support/caught.h"
#include "support/glyph_render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

using Buffer = xcPelBuffer<unsigned char>;
using Image = xcPelBuffer_const<unsigned char>;

xcCorrSearchModel trained(const Image& image, long algorithms = 8, long accuracy = 4) {
    xcCorrSearchTrainParams tp;
    tp.algorithms(algorithms);
    tp.accuracy(accuracy);
    xcCorrSearchModel m;
    m.train(image, tp, nullptr, 0);
    return m;
}

// A model of the glyph rendered upright at its train image's centre, blurred like the scenes.
xcCorrSearchModel glyphModel(const oc_test::GlyphImage& g, double blur = 0.7, long accuracy = 4) {
    oc_test::Scene t(g.trainWidth(), g.trainHeight());
    t.place(g, 0.0, 1.0, g.centre());
    return trained(t.finish(blur, 0.0, 99), 8, accuracy);
}

xcCorrSearchRunParams runParams(double accept, short maxResults, long algorithm = 8,
                                double xyOverlap = 0.3) {
    xcCorrSearchRunParams p(algorithm);
    p.accept(accept);
    p.maxNumResults(maxResults);
    p.xyOverlap(xyOverlap);
    return p;
}

std::vector<xcCorrSearchResult> run(const xcCorrSearchModel& m, const Image& image,
                                    const xcCorrSearchRunParams& p) {
    return m.run(image, p, xcPelRect(0, 0, 1, 1), nullptr, 0);
}

// Where the train image's client origin (its pel (0, 0) corner) lands for a glyph placed at
// `centre` upright and unscaled.
xcVector<2> originAt(const oc_test::GlyphImage& g, const xcVector<2>& centre) {
    return oc_test::placementPose(g, 0.0, 1.0, centre).mapPoint(xcVector<2>(0.0, 0.0));
}

// location(): the searched image's client point where the model's client origin lands, with
// windows, relabelled image coordinates and client transforms on both sides.
TEST(CorrSearchLocation, ModelClientOriginInSearchedImageClientCoordinates) {
    const oc_test::GlyphImage g(oc_test::kSansFont, U'K', 26.0, 3);
    // The same glyph rendered at the same pel phase in two images, so model pel q matches run
    // pel q + d exactly, with d = (21, 9) in root image coordinates.
    oc_test::Scene ms(50, 50), rs(80, 70);
    const xcVector<2> modelCentre(24.4, 23.7), d(21.0, 9.0);
    ms.place(g, 0.0, 1.0, modelCentre);
    rs.place(g, 0.0, 1.0, modelCentre + d);
    Image model = ms.finish(0.7, 0.0, 1), image = rs.finish(0.7, 0.0, 1);
    model.window(xcPelRect(24 - g.trainWidth() / 2, 23 - g.trainHeight() / 2, g.trainWidth(),
                           g.trainHeight()));
    const xcXform<2> modelClientFromImage(xcVector<2>(-3.0, 5.0), 2.0, 1.0, xcRadian(0.0),
                                          xcRadian(0.5));
    model.clientFromImageXform(modelClientFromImage);
    image.window(xcPelRect(3, 2, 74, 66));
    image.offset(xcPelPoint(100, -40));
    const xcXform<2> clientFromImage(xcVector<2>(7.0, -3.0), 0.5, 1.0, xcRadian(0.0),
                                     xcRadian(-0.35));
    image.clientFromImageXform(clientFromImage);

    const auto res = run(trained(model), image, runParams(0.5, 1));
    ASSERT_EQ(res.size(), 1u);
    EXPECT_GT(res[0].score(), 0.999);
    // The model's client origin in its image coordinates, moved by d and by the relabelling of
    // the searched image's coordinates (its window corner (3, 2) became (100, -40)).
    const xcVector<2> o = modelClientFromImage.inverse().mapPoint(xcVector<2>(0.0, 0.0));
    const xcVector<2> expected = clientFromImage.mapPoint(o + d + xcVector<2>(97.0, -42.0));
    EXPECT_LT(res[0].location().distance(expected), 0.014);
}

// The worst location error over a grid of sub-pel shifts of a rendered glyph, for one accuracy.
double worstError(const oc_test::GlyphImage& g, const xcCorrSearchModel& m, long accuracy,
                  double blur, double noise) {
    double worst = 0.0;
    int seed = 1;
    for (double fx = 0.0; fx < 0.99; fx += 0.125) {
        for (double fy : {0.0, 0.3, 0.55, 0.8}) {
            oc_test::Scene s(64, 60);
            const xcVector<2> centre(31.0 + fx, 29.0 + fy);
            s.place(g, 0.0, 1.0, centre);
            auto p = runParams(0.5, 1);
            p.accuracy(accuracy);
            const auto res = run(m, s.finish(blur, noise, seed++), p);
            EXPECT_EQ(res.size(), 1u);
            if (res.empty()) return 1e9;
            // Whole-pel scores fall with the distance to the peak; the finest accuracy's do not.
            EXPECT_GT(res[0].score(), accuracy == 4 ? 0.999 : 0.9);
            worst = std::max(worst, res[0].location().distance(originAt(g, centre)));
        }
    }
    return worst;
}

// Sub-pel location: within 0.1 pel with the quadratic surface (3), 0.05 with the gradient fit
// (4), a quarter with parabolas (2); whole pels (1) round to the nearest placement.
TEST(CorrSearchSubPel, ShiftedGlyphLocatedWithinATenthOfAPel) {
    for (char32_t ch : {U'R', U'e', U'8'}) {
        const oc_test::GlyphImage g(oc_test::kSansFont, ch, 28.0, 3);
        for (const auto& [blur, noise] :
             {std::pair{0.7, 0.0}, std::pair{0.0, 0.0}, std::pair{0.7, 3.0}}) {
            const xcCorrSearchModel m = glyphModel(g, blur);
            for (const auto& [accuracy, bound] :
                 {std::pair{4L, 0.05}, std::pair{3L, 0.1}, std::pair{2L, 0.25},
                  std::pair{1L, std::sqrt(0.5) + 0.05}}) {
                SCOPED_TRACE(testing::Message() << "glyph " << char(ch) << " blur " << blur
                                                << " noise " << noise << " accuracy " << accuracy);
                EXPECT_LE(worstError(g, m, accuracy, blur, noise), bound);
            }
        }
    }
    // A model trained for whole pels gives whole pels, whatever accuracy the run asks for.
    const oc_test::GlyphImage g(oc_test::kSansFont, U'R', 28.0, 3);
    oc_test::Scene s(64, 60);
    s.place(g, 0.0, 1.0, xcVector<2>(31.4, 29.3));
    const auto res = run(glyphModel(g, 0.7, 1), s.finish(0.7, 0.0, 1), runParams(0.5, 1));
    ASSERT_EQ(res.size(), 1u);
    EXPECT_EQ(res[0].location(),
              xcVector<2>(std::round(res[0].location().x()), std::round(res[0].location().y())));
}

// The coarse-to-fine search finds the same best placement and score as scoring every placement
// at full resolution, on neighbourhood images of glyphs among other glyphs.
TEST(CorrSearchCoarseToFine, SameBestPlacementAsExhaustiveOnGlyphNeighbourhoods) {
    const char32_t chars[] = {U'R', U'B', U'8', U'e', U'a', U'3', U'H', U'S'};
    oc_test::Rng rng(11);
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
            const xcCorrSearchModel m = trained(t.finish(0.7, 0.0, 1), 24);
            const auto fast = run(m, img, runParams(0.0, 1, 8));
            const auto full = run(m, img, runParams(0.0, 1, 16));
            ASSERT_EQ(fast.size(), 1u);
            ASSERT_EQ(full.size(), 1u);
            SCOPED_TRACE(testing::Message() << "scene " << i << " angle " << angle);
            EXPECT_NEAR(fast[0].score(), full[0].score(), 1e-6);
            EXPECT_LT(fast[0].location().distance(full[0].location()), 1e-6);
        }
    }
}

// The result list: best first, found() and the accept threshold, maxNumResults.
TEST(CorrSearchResults, BestFirstAcceptAndCount) {
    const oc_test::GlyphImage g(oc_test::kSansFont, U'R', 24.0, 3);
    const xcCorrSearchModel m = glyphModel(g);
    const xcVector<2> clean(30.3, 30.2), spoilt(92.3, 29.2);
    oc_test::Scene s(124, 60);
    s.place(g, 0.0, 1.0, clean);
    s.place(g, 0.0, 1.0, spoilt);
    s.fillRect(long(spoilt.x()) - 2, long(spoilt.y()) + 4, 8, 8, 120.0);
    const Buffer img = s.finish(0.7, 2.0, 5);
    const auto both = run(m, img, runParams(0.3, 5));
    ASSERT_EQ(both.size(), 2u);
    EXPECT_TRUE(both[0].found() && both[1].found());
    EXPECT_GT(both[0].score(), 0.95);
    EXPECT_LE(both[0].score(), 1.0);
    EXPECT_LT(both[1].score(), both[0].score() - 0.05);
    EXPECT_LT(both[0].location().distance(originAt(g, clean)), 0.1);
    EXPECT_LT(both[1].location().distance(originAt(g, spoilt)), 0.5);

    const auto one = run(m, img, runParams(0.3, 1));
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].location(), both[0].location());
    EXPECT_EQ(one[0].score(), both[0].score());

    // accept sits between the two scores, then above the best: finds below it are not reported.
    const double between = 0.5 * (both[0].score() + both[1].score());
    EXPECT_EQ(run(m, img, runParams(between, 5)).size(), 1u);
    EXPECT_EQ(run(m, img, runParams(both[1].score(), 5)).size(), 2u);
    EXPECT_TRUE(run(m, img, runParams(both[0].score() + 1e-9, 5)).empty());
}

// Two copies whose model rectangles overlap (13 pels apart across, 2 down): both kept while the
// overlap stays under xyOverlap, reduced to the better one once it reaches it.
TEST(CorrSearchResults, OverlappingFindsReducedToTheBetter) {
    const oc_test::GlyphImage g(oc_test::kSansFont, U'o', 14.0, 8);
    const xcCorrSearchModel m = glyphModel(g);
    oc_test::Scene s(80, 50);
    const xcVector<2> a(30.25, 24.25), b(43.25, 26.25);
    s.place(g, 0.0, 1.0, a);
    s.place(g, 0.0, 1.0, b, 90.0);
    const auto img = s.finish(0.7, 0.0, 1);
    const double w = double(m.width()), h = double(m.height());
    const double ratio = (w - 13.0) * (h - 2.0) / (w * h);
    ASSERT_GT(ratio, 0.1);

    const auto apart = run(m, img, runParams(0.3, 4, 8, ratio + 0.01));
    ASSERT_EQ(apart.size(), 2u);
    EXPECT_LT(apart[0].location().distance(originAt(g, a)), 0.5);
    EXPECT_LT(apart[1].location().distance(originAt(g, b)), 0.5);
    const auto merged = run(m, img, runParams(0.3, 4, 8, ratio - 0.01));
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_EQ(merged[0].location(), apart[0].location());
}

// Runs of many models on one image reuse its prepared planes; changed pels, another image, a
// window of it or another thread never get stale ones.
TEST(CorrSearchCache, ChangedPelsOtherImagesAndThreadsAreNeverServedStale) {
    const oc_test::GlyphImage g(oc_test::kSansFont, U'G', 24.0, 3);
    const xcCorrSearchModel m = glyphModel(g);
    auto sceneAt = [&g](const xcVector<2>& c) {
        oc_test::Scene s(70, 64);
        s.place(g, 0.0, 1.0, c);
        return s.finish(0.7, 2.0, 3);
    };
    // Where the best find lies from the glyph placed at c, or 1e9 without a find.
    auto error = [&](const Image& img, const xcVector<2>& c) {
        const auto r = run(m, img, runParams(0.5, 1));
        return r.empty() ? 1e9 : r[0].location().distance(originAt(g, c));
    };
    const xcVector<2> c1(30.4, 31.6), c2(38.2, 27.9);
    Buffer img = sceneAt(c1);
    EXPECT_LT(error(img, c1), 0.1);
    EXPECT_LT(error(img, c1), 0.1);
    // Its top rows, as wide and holding the glyph's upper part: only placements within them.
    Image top = img;
    top.window(xcPelRect(0, 0, img.width(), m.height() + 1));
    for (const auto& r : run(m, top, runParams(0.0, 3))) EXPECT_LE(r.location().y(), 1.0);
    // The same buffer with the glyph wiped out in place.
    for (long y = 0; y < img.height(); ++y)
        for (long x = 0; x < img.width(); ++x) *img.pointToPel(x, y) = (x * 3 + y) % 5 + 100;
    const auto wiped = run(m, img, runParams(0.5, 1));
    EXPECT_TRUE(wiped.empty() || wiped[0].score() < 0.6);
    // Another image of the same size, then a window of it with a relabelled offset.
    Image other = sceneAt(c2);
    EXPECT_LT(error(other, c2), 0.1);
    other.window(xcPelRect(4, 2, 60, 58));
    EXPECT_LT(error(other, c2), 0.1);

    // Two threads searching two images in turn.
    const xcVector<2> centres[2] = {{29.3, 30.1}, {40.6, 33.4}};
    const Buffer imgs[2] = {sceneAt(centres[0]), sceneAt(centres[1])};
    double worst[2] = {0.0, 0.0};
    std::thread threads[2];
    for (int k = 0; k < 2; ++k)
        threads[k] = std::thread([&, k] {
            for (int i = 0; i < 40; ++i)
                worst[k] = std::max(worst[k], error(imgs[(k + i) % 2], centres[(k + i) % 2]));
        });
    for (auto& th : threads) th.join();
    EXPECT_LT(std::max(worst[0], worst[1]), 0.1);
}

Buffer ramp(long w, long h) {
    Buffer b(w, h);
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x) *b.pointToPel(x, y) = static_cast<unsigned char>(x * 7 + y);
    return b;
}

// Bad input is refused with its class, number and message; a refused training keeps the model.
TEST(CorrSearchErrors, TrainingAndRunRefusals) {
    const xcCorrSearchTrainParams tp;
    const xcCorrSearchRunParams p;
    const xcPelRect region(0, 0, 1, 1);
    xcCorrSearchModel m;
    Buffer badClient = ramp(40, 30), flat(20, 20);
    // A matrix that is not finite cannot be set (it has no inverse); a translation can.
    badClient.clientFromImageXform(xcXform<2>::translation({INFINITY, 0.0}));
    for (long y = 0; y < 20; ++y) std::fill_n(flat.rowPointer(y), 20, 77);
    const std::string flatMessage = "The training image is flat: all its pels have one grey value";
    expectRefusals<xcCorrSearchDefs::Errors>({
        {[&] { m.train(Image(), tp, nullptr, 0); }, 0x10000703, "The training image is unbound"},
        {[&] { m.train(ramp(2, 9), tp, nullptr, 0); }, 0x10000703,
         "The training image must be at least 3 x 3 pels"},
        {[&] { m.train(ramp(2049, 2048), tp, nullptr, 0); }, 0x10000703,
         "The training image must not exceed 4194304 pels"},
        {[&] { m.train(badClient, tp, nullptr, 0); }, 0x10000703,
         "The training image's client transform is not finite"},
        {[&] { m.train(flat, tp, nullptr, 0); }, 0x10000705, flatMessage},
        {[&] { m.run(ramp(40, 30), p, region, nullptr, 0); }, 0x10000704,
         "The correlation model is not trained"},
    });
    EXPECT_FALSE(m.isTrained());

    xcCorrSearchTrainParams tp2;
    tp2.accuracy(2);
    m.train(ramp(12, 10), tp2, nullptr, 0);
    tp2.algorithms(16);
    badClient.clientFromImageXform(xcXform<2>::translation({0.0, std::nan("")}));
    expectRefusals<xcCorrSearchDefs::Errors>({
        {[&] { m.train(flat, tp2, nullptr, 0); }, 0x10000705, flatMessage},
        {[&] { m.run(ramp(40, 30), xcCorrSearchRunParams(16), region, nullptr, 0); }, 0x10000702,
         "The model was not trained for the run's algorithm"},
        {[&] { m.run(Image(), p, region, nullptr, 0); }, 0x10000703,
         "The image to search is unbound"},
        {[&] { m.run(ramp(11, 30), p, region, nullptr, 0); }, 0x10000703,
         "The image to search is smaller than the model"},
        {[&] { m.run(ramp(40, 9), p, region, nullptr, 0); }, 0x10000703,
         "The image to search is smaller than the model"},
        {[&] { m.run(ramp(4097, 1024), p, region, nullptr, 0); }, 0x10000703,
         "The image to search must not exceed 4194304 pels"},
        {[&] { m.run(badClient, p, region, nullptr, 0); }, 0x10000703,
         "The client transform of the image to search is not finite"},
    });
    EXPECT_EQ(std::vector<long>({m.width(), m.height(), m.trainParams().accuracy(),
                                 m.trainParams().algorithms()}),
              std::vector<long>({12, 10, 2, 8}));
    // An image exactly the model's size has one placement.
    Image same = ramp(40, 30);
    same.window(xcPelRect(5, 6, 12, 10));
    const auto res = run(m, same, runParams(0.0, 5));
    ASSERT_EQ(res.size(), 1u);
    EXPECT_NEAR(res[0].score(), 1.0, 1e-9);
    EXPECT_EQ(res[0].location(), xcVector<2>(5.0, 6.0));
}

// The caller's time limit stops a run and propagates.
TEST(CorrSearchTimeout, ExpiredLimitsPropagateAndStopLongRuns) {
    // A large noise image and a large model: a full-resolution run would take seconds.
    Buffer img(2048, 2048);
    oc_test::Rng rng(5);
    for (long y = 0; y < 2048; ++y)
        for (long x = 0; x < 2048; ++x)
            *img.pointToPel(x, y) = static_cast<unsigned char>(rng.next() & 0xFF);
    Image patch = img;
    patch.window(xcPelRect(700, 900, 128, 128));
    const xcCorrSearchModel m = trained(patch, 24);
    {
        xcAttentionTag tag(true);
        tag.attachTimeout(0.0);
        EXPECT_THROW(run(m, img, runParams(0.5, 1)), xcTimeout::Expired);
    }
    {
        xcAttentionTag tag(true);
        tag.attachTimeoutCustom(0.0, 0x80000064);
        EXPECT_EQ(
            caught<xcTimeout::InternalExpired>([&] { run(m, img, runParams(0.5, 1, 16)); }).code(),
            0x80000064);
    }
    // How promptly is the benchmarks' business; here, a full run of either algorithm polls
    // throughout, so a limit armed before it ends it.
    Image part = img;
    part.window(xcPelRect(600, 800, 384, 384));
    for (long algorithm : {8L, 16L}) {
        long polls = 0;
        xcAttention::observePolls([](void* n) noexcept { ++*static_cast<long*>(n); }, &polls);
        run(m, part, runParams(0.5, 1, algorithm));
        xcAttention::observePolls(nullptr);
        EXPECT_GT(polls, 100) << "algorithm " << algorithm;
        xcAttentionTag tag(true);
        tag.attachTimeout(0.02);
        EXPECT_THROW(run(m, img, runParams(0.5, 1, algorithm)), xcTimeout::Expired);
    }
}

} // namespace
