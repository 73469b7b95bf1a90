// What a run reports and keeps: the results' count, order, acceptance and merging, masks, the
// run image cache, time limits, training and the zone parameters.
#include "align_test_util.h"
#include "support/caught.h"

#include "align/align_defs.h"
#include "core/sys/attention.h"
#include "core/sys/timeout.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

namespace {

using Buffer = xcPelBuffer<unsigned char>;

void fillRect(Buffer& b, long x0, long y0, long w, long h, unsigned char v) {
    for (long y = y0; y < y0 + h; ++y)
        for (long x = x0; x < x0 + w; ++x) *b.pointToPel(x, y) = v;
}

Buffer filled(long w, long h, unsigned char v) {
    Buffer b(w, h);
    fillRect(b, 0, 0, w, h, v);
    return b;
}

xcAlignPattern trained(const oc_test::GlyphImage& glyph, long dofMask = 3) {
    xcAlignPattern pat;
    pat.train(glyph.trainImage(), dofMask, nullptr, 0);
    return pat;
}

xcAlignRunParams uprightParams(long numToFind, double accept = 0.5) {
    xcAlignRunParams p;
    p.acceptThreshold(accept);
    p.zoneEnable(1);
    p.zone(1, -30.0, 30.0);
    p.numToFind(numToFind);
    p.xyOverlap(0.3);
    return p;
}

// Five instances: numToFind caps the count, results come best first, and a larger numToFind
// gives all five and no unaccepted extras. When nothing reaches the accept threshold the best
// instance comes back alone, unaccepted.
TEST(AlignResults, NumToFindCapsTheAcceptedResultsBestFirst) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'K', 24.0);
    const xcAlignPattern pat = trained(glyph);
    oc_test::Scene scene(240, 60);
    for (int i = 0; i < 5; ++i)
        scene.place(glyph, 4.0 * i - 8.0, 1.0, xcVector<2>(25.3 + 46.0 * i, 30.6), 40.0 + 15 * i);
    const Buffer img = scene.finish(0.7, 4.0, 11);
    xcAlignResultSet rs;
    pat.run(img, uprightParams(3), rs, nullptr, 0);
    ASSERT_EQ(rs.size(), 3u);
    EXPECT_EQ(rs.numAccepted(), 3u);
    for (std::size_t i = 1; i < rs.size(); ++i) EXPECT_GE(rs[i - 1].score(), rs[i].score());
    pat.run(img, uprightParams(8), rs, nullptr, 0);
    ASSERT_EQ(rs.size(), 5u);
    EXPECT_EQ(rs.numAccepted(), 5u);
    // Each placement is found once.
    for (const oc_test::Placement& p : scene.placements()) {
        int hits = 0;
        for (const xcAlignResult& r : rs)
            if (align_test::centreError(r.pose(), p.pose, glyph.centre()) < 0.5) ++hits;
        EXPECT_EQ(hits, 1);
    }
    EXPECT_THROW(rs[5], xc_AlignDefs::BadParams);
    // A threshold equal to the weakest score still accepts it.
    pat.run(img, uprightParams(8, rs[4].score()), rs, nullptr, 0);
    EXPECT_EQ(rs.numAccepted(), 5u);
    pat.run(img, uprightParams(5, 0.999), rs, nullptr, 0);
    ASSERT_EQ(rs.size(), 1u);
    EXPECT_FALSE(rs[0].accepted());
    EXPECT_GT(rs[0].score(), 0.9);
    EXPECT_LT(rs[0].score(), 0.999);
    EXPECT_EQ(rs.numAccepted(), 0u);
}

// Two instances whose placed windows overlap by about half: merged into the better one under
// xyOverlap 0.3, both kept under 0.8.
TEST(AlignResults, XyOverlapMergesOverlappingInstances) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'K', 24.0);
    oc_test::Scene scene(120, 70);
    scene.place(glyph, 0.0, 1.0, xcVector<2>(45.0, 35.0));
    scene.place(glyph, 0.0, 1.0, xcVector<2>(45.0 + 0.55 * glyph.trainWidth(), 35.0));
    const Buffer img = scene.finish(0.5, 2.0, 5);
    const xcAlignPattern pat = trained(glyph);
    xcAlignRunParams p = uprightParams(5, 0.3);
    xcAlignResultSet rs;
    p.xyOverlap(0.8);
    pat.run(img, p, rs, nullptr, 0);
    ASSERT_EQ(rs.size(), 2u);
    const double first = rs[0].score();
    p.xyOverlap(0.3);
    pat.run(img, p, rs, nullptr, 0);
    ASSERT_EQ(rs.size(), 1u);
    EXPECT_DOUBLE_EQ(rs[0].score(), first);
}

// An instance cut by the image border: coverage tells the share of its edges inside, and the
// score counts the missing part as a mismatch.
TEST(AlignResults, InstancesCutByTheBorderReportCoverageAndLoseScore) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'K', 24.0);
    oc_test::Scene scene(100, 60);
    scene.place(glyph, 0.0, 1.0, xcVector<2>(60.5, 30.5));
    scene.place(glyph, 0.0, 1.0, xcVector<2>(4.0, 30.5));
    xcAlignResultSet rs;
    trained(glyph).run(scene.finish(0.5, 2.0, 9), uprightParams(2, 0.2), rs, nullptr, 0);
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
    const xcAlignPattern pat = trained(oc_test::GlyphImage(oc_test::kSansFont, U'K', 24.0));
    for (long side : {1L, 2L, 3L, 7L, 16L, 40L}) {
        Buffer img(side, side + 1);
        for (long y = 0; y < img.height(); ++y)
            for (long x = 0; x < img.width(); ++x)
                *img.pointToPel(x, y) =
                    static_cast<unsigned char>(side == 40 ? 128 : (x * 37 + y * 11) % 256);
        xcAlignResultSet rs;
        EXPECT_NO_THROW(pat.run(img, align_test::searchParams(0.5, 2.0, 3), rs, nullptr, 0))
            << side;
        EXPECT_EQ(rs.numAccepted(), 0u) << side;
    }
}

// Runs with a mask: pels below 128 are ignored, the mask pairs with the image window-relatively.
TEST(AlignMask, MaskedInstancesAreIgnoredAndPartlyMaskedOnesStillMatch) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'S', 26.0);
    const xcAlignPattern pat = trained(glyph);
    // A larger buffer whose window holds the scene at (20, 10); the mask is its own buffer of
    // the window's size.
    oc_test::Scene scene(200, 80);
    scene.place(glyph, 10.0, 1.0, xcVector<2>(50.3, 40.2));
    scene.place(glyph, -25.0, 1.0, xcVector<2>(150.8, 39.6));
    const Buffer pels = scene.finish(0.7, 4.0, 8);
    Buffer big = filled(240, 100, 200);
    for (long y = 0; y < 80; ++y)
        for (long x = 0; x < 200; ++x) *big.pointToPel(x + 20, y + 10) = *pels.pointToPel(x, y);
    big.window(xcPelRect(20, 10, 200, 80));

    const xcAlignRunParams params = align_test::searchParams(0.9, 1.1, 3);
    xcAlignResultSet rs;
    pat.run(big, filled(200, 80, 128), params, rs, nullptr, 0);
    EXPECT_EQ(rs.numAccepted(), 2u);

    // The right instance masked away entirely: only the left one is found.
    Buffer mask = filled(200, 80, 255);
    fillRect(mask, 120, 0, 80, 80, 127);
    pat.run(big, mask, params, rs, nullptr, 0);
    ASSERT_EQ(rs.numAccepted(), 1u);
    // Poses are in the buffer's image (= client) coordinates: the window offset counts.
    const xcXform<2> truth = scene.placements()[0].pose;
    const xcXform<2> shifted = xcXform<2>::translation(xcVector<2>(20, 10)) * truth;
    EXPECT_LT(align_test::centreError(rs[0].pose(), shifted, glyph.centre()), 0.2);

    // The left half of the left instance masked: what remains still matches well.
    fillRect(mask, 0, 0, 50, 80, 127);
    pat.run(big, mask, params, rs, nullptr, 0);
    ASSERT_EQ(rs.numAccepted(), 1u);
    EXPECT_GT(rs[0].score(), 0.8);
    EXPECT_LT(align_test::centreError(rs[0].pose(), shifted, glyph.centre()), 0.3);
}

// The run image cache is keyed on pel content and mask (threads: align_thread_tests): the same
// buffer searched again after its pels or its mask changed sees the new content.
TEST(AlignCache, ChangedPelsOrMaskAreNotServedStale) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'4', 26.0);
    const xcAlignPattern pat = trained(glyph);
    oc_test::Scene a(160, 100), b(160, 100);
    const oc_test::Placement pa = a.place(glyph, 20.0, 1.0, xcVector<2>(40.3, 50.8));
    const oc_test::Placement pb = b.place(glyph, -70.0, 1.1, xcVector<2>(118.6, 47.2));
    Buffer img = a.finish(0.7, 4.0, 1);
    const xcAlignRunParams params = align_test::searchParams(0.9, 1.2, 2);
    xcAlignResultSet rs;
    pat.run(img, params, rs, nullptr, 0);
    ASSERT_EQ(rs.numAccepted(), 1u);
    EXPECT_LT(align_test::centreError(rs[0].pose(), pa.pose, glyph.centre()), 0.2);

    const Buffer other = b.finish(0.7, 4.0, 2);
    for (long y = 0; y < img.height(); ++y)
        for (long x = 0; x < img.width(); ++x) *img.pointToPel(x, y) = *other.pointToPel(x, y);
    pat.run(img, params, rs, nullptr, 0);
    ASSERT_EQ(rs.numAccepted(), 1u);
    EXPECT_LT(align_test::centreError(rs[0].pose(), pb.pose, glyph.centre()), 0.2);

    Buffer mask = filled(160, 100, 0);
    pat.run(img, mask, params, rs, nullptr, 0);
    EXPECT_EQ(rs.numAccepted(), 0u);
    fillRect(mask, 0, 0, 160, 100, 255);
    pat.run(img, mask, params, rs, nullptr, 0);
    EXPECT_EQ(rs.numAccepted(), 1u);
}

// The caller's time limit, polled during a run: a limit that has already passed propagates the
// library's own code, an ordinary one as Expired; limits from very short to ample let a run
// either complete or expire, and in both cases the set holds a consistent part of the answer.
TEST(AlignTimeout, ExpiryLeavesAConsistentPartialAnswer) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'R', 24.0);
    oc_test::Scene scene(400, 300);
    oc_test::Rng rng(17);
    align_test::scatter(scene, glyph, 8, rng, 0.9, 1.1);
    const Buffer img = scene.finish(0.7, 8.0, 3);
    const xcAlignPattern pat = trained(glyph);
    const xcAlignRunParams params = align_test::searchParams(0.9, 1.1, 10);
    // Best first, accepted results only or the best one alone unaccepted, each accepted one on
    // a placed instance.
    auto expectConsistent = [&](const xcAlignResultSet& rs) {
        for (std::size_t i = 1; i < rs.size(); ++i) EXPECT_GE(rs[i - 1].score(), rs[i].score());
        EXPECT_TRUE(rs.numAccepted() == rs.size() || (rs.numAccepted() == 0 && rs.size() <= 1));
        for (const xcAlignResult& r : rs) {
            double best = 1e9;
            for (const oc_test::Placement& p : scene.placements())
                best = std::min(best, align_test::centreError(r.pose(), p.pose, glyph.centre()));
            EXPECT_TRUE(!r.accepted() || best < 0.5);
        }
    };
    xcAlignResultSet rs;
    {
        xcAttentionTag tag(true);
        tag.attachTimeoutCustom(0.0, 0x80000064);
        EXPECT_EQ(caught<xcTimeout::InternalExpired>([&] {
                      pat.run(img, params, rs, nullptr, 0);
                  }).code(),
                  0x80000064);
        EXPECT_EQ(rs.size(), 0u);
    }
    {
        xcAttentionTag tag(true);
        tag.attachTimeout(0.0);
        EXPECT_THROW(pat.run(img, params, rs, nullptr, 0), xcTimeout::Expired);
    }
    pat.run(img, params, rs, nullptr, 0);
    EXPECT_EQ(rs.numAccepted(), 8u);
    for (double ms : {0.2, 0.5, 1.0, 2.0, 4.0, 8.0}) {
        xcAlignResultSet part;
        xcAttentionTag tag(true);
        tag.attachTimeoutCustom(ms * 1e-3, 0x80000064);
        try {
            pat.run(img, params, part, nullptr, 0);
            EXPECT_EQ(part.numAccepted(), 8u);
        } catch (const xcTimeout::InternalExpired&) {
            EXPECT_LE(part.numAccepted(), 8u);
        }
        expectConsistent(part);
    }
}

// The message of the xc_AlignDefs::Errors that training throws, or "" when it succeeds.
std::string refusal(const xcPelBuffer_const<unsigned char>& img) {
    xcAlignPattern pat;
    try {
        pat.train(img, 3, nullptr, 0);
    } catch (const xc_AlignDefs::Errors& e) {
        EXPECT_EQ(e.errorNumber(), 0x10000401);
        EXPECT_FALSE(pat.isTrained());
        return e.message();
    }
    return "";
}

TEST(AlignTraining, ImagesThatGiveTooLittleAreRefusedWithTheReason) {
    EXPECT_EQ(refusal(filled(40, 40, 128)), "image too flat to train: no grey structure");
    // A faint ramp has grey structure but no edge.
    Buffer ramp(40, 40);
    for (long y = 0; y < 40; ++y)
        for (long x = 0; x < 40; ++x)
            *ramp.pointToPel(x, y) = static_cast<unsigned char>(100 + x / 4);
    EXPECT_EQ(refusal(ramp), "image too flat to train: no edge stands out");
    EXPECT_EQ(refusal(filled(5, 30, 0)), "image too small to train: it needs at least 6 x 6 pels");
    EXPECT_EQ(refusal(filled(30, 5, 0)), "image too small to train: it needs at least 6 x 6 pels");
    // One dark pel: a handful of edge points only.
    Buffer dot = filled(30, 30, 200);
    fillRect(dot, 15, 15, 1, 1, 40);
    EXPECT_EQ(refusal(dot), "too few edge features to train on");
    // One straight bar: its long sides' normals all point one way.
    Buffer bar = filled(64, 24, 200);
    fillRect(bar, 8, 10, 48, 4, 40);
    EXPECT_EQ(refusal(bar), "edges run in one direction only and cannot fix the pattern's pose");
    // A cross fixes the pose and trains.
    Buffer cross = filled(64, 64, 200);
    fillRect(cross, 8, 30, 48, 4, 40);
    fillRect(cross, 30, 8, 4, 48, 40);
    EXPECT_EQ(refusal(cross), "");
}

// Manual grain limits need 4 coarse grains a side; the two-attempt path (second attempt with
// limits 1, 1) then trains a small character.
TEST(AlignTraining, ManualGrainLimitsRefuseImagesSmallerThanFourCoarseGrains) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'E', 9.0, 3);
    const Buffer img = glyph.trainImage();
    ASSERT_LT(std::min(img.width(), img.height()), 16);
    xcAlignPattern pat;
    pat.autoSelectGrainLimits(false);
    pat.grainLimits(2.0f, 4.0f);
    EXPECT_EQ(caught<xc_AlignDefs::Errors>([&] { pat.train(img, 3, nullptr, 0); }).message(),
              "image too small for the coarse grain limit: each side needs 4 coarse grains");
    pat.grainLimits(1.0f, 1.0f);
    pat.train(img, 3, nullptr, 0);
    EXPECT_TRUE(pat.isTrained());
}

// Bad arguments throw BadParams and change nothing; a failed training keeps the earlier one.
TEST(AlignTraining, BadArgumentsThrowBadParamsAndChangeNothing) {
    xcAlignPattern pat;
    const float fine = pat.grainLimitFine(), coarse = pat.grainLimitCoarse();
    for (const auto& [f, c] :
         {std::pair{0.5f, 2.0f}, std::pair{3.0f, 2.0f}, std::pair{1.0f, 16.5f}})
        EXPECT_THROW(pat.grainLimits(f, c), xc_AlignDefs::BadParams) << f << " " << c;
    EXPECT_EQ(pat.grainLimitFine(), fine);
    EXPECT_EQ(pat.grainLimitCoarse(), coarse);
    EXPECT_NO_THROW(pat.grainLimits(1.0f, 16.0f));

    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'K', 24.0);
    const Buffer img = glyph.trainImage();
    xcAlignResultSet rs;
    for (const std::function<void()>& f : std::vector<std::function<void()>>{
             [&] { pat.train(xcPelBuffer_const<unsigned char>(), 3, nullptr, 0); },
             [&] { pat.train(img, 4, nullptr, 0); }, [&] { pat.train(img, -1, nullptr, 0); },
             [&] { (void)pat.trainImage(); }, [&] { (void)pat.trainClientFromImage(); },
             [&] { pat.run(img, xcAlignRunParams(), rs, nullptr, 0); }})
        EXPECT_THROW(f(), xc_AlignDefs::BadParams);
    EXPECT_FALSE(pat.isTrained());
    // An internal error is one of the tool's errors, so a handler for Errors takes it.
    EXPECT_EQ(xc_AlignDefs::InternalError("x").errorNumber(), 0x10000402);
    EXPECT_THROW(throw xc_AlignDefs::InternalError("x"), xc_AlignDefs::Errors);

    pat.train(img, 1, nullptr, 0);
    EXPECT_THROW(pat.train(filled(40, 40, 90), 3, nullptr, 0), xc_AlignDefs::Errors);
    // A mask of another size, or an unbound one.
    EXPECT_THROW(pat.run(img, filled(img.width() + 1, img.height(), 255), xcAlignRunParams(), rs,
                         nullptr, 0),
                 xc_AlignDefs::BadParams);
    EXPECT_THROW(
        pat.run(img, xcPelBuffer_const<unsigned char>(), xcAlignRunParams(), rs, nullptr, 0),
        xc_AlignDefs::BadParams);
    EXPECT_EQ(pat.dofMask(), 1);
    EXPECT_EQ(pat.trainImage().window(), img.window());
    pat.run(img, xcAlignRunParams(), rs, nullptr, 0);
    ASSERT_EQ(rs.size(), 1u);
    EXPECT_GT(rs[0].score(), 0.98);
}

// The pattern keeps its own copy of the window with the window's position and transforms;
// changing the caller's pels afterwards does not reach it.
TEST(AlignTraining, TrainImageIsACopyWithTheSameWindowAndTransforms) {
    const Buffer g = oc_test::GlyphImage(oc_test::kSansFont, U'F', 24.0).trainImage();
    Buffer big = filled(100, 80, 200);
    for (long y = 0; y < g.height(); ++y)
        for (long x = 0; x < g.width(); ++x) *big.pointToPel(30 + x, 20 + y) = *g.pointToPel(x, y);
    const xcXform<2> cfi(xcMatrix<2>(0.5, 0, 0, 0.5), xcVector<2>(-3, 7));
    big.clientFromImageXform(cfi);
    big.window(xcPelRect(30, 20, g.width(), g.height()));

    xcAlignPattern pat;
    pat.train(big, 3, nullptr, 0);
    const xcPelBuffer_const<unsigned char>& ti = pat.trainImage();
    EXPECT_EQ(ti.window(), xcPelRect(30, 20, g.width(), g.height()));
    EXPECT_EQ(ti.clientFromImage(), cfi);
    EXPECT_EQ(pat.trainClientFromImage()->linearXform(xcVector<2>(0, 0)), cfi);
    EXPECT_FALSE(ti.sharesRoot(big));
    const unsigned char kept = *ti.pointToPel(3, 3);
    *big.pointToPel(3, 3) = static_cast<unsigned char>(kept ^ 0xFF);
    EXPECT_EQ(*ti.pointToPel(3, 3), kept);
}

// The zones and nominal values per degree of freedom (the single-value fields are walked by the
// parameter-table test): their edges are accepted, nonsense is refused with BadParams and
// changes nothing.
TEST(AlignRunParams, ZonesAndNominalsAcceptTheirEdgesAndRefuseNonsense) {
    xcAlignRunParams p;
    auto values = [&p] {
        return std::vector<double>{p.zoneLow(1),  p.zoneHigh(1), p.zoneLow(2),
                                   p.zoneHigh(2), p.nominal(1),  p.nominal(2)};
    };
    p.zone(2, 1.0, 1.0);
    p.zone(1, 0.0, 360.0);
    p.zone(2, 0.1, 10.0);
    p.nominal(1, -65.0);
    p.nominal(2, 10.0);
    const std::vector<double> set = {0.0, 360.0, 0.1, 10.0, -65.0, 10.0};
    EXPECT_EQ(values(), set);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::string dof = "degree of freedom must be 1 (angle) or 2 (scale)",
                      angle = "angle zone must be finite with low <= high and at most 360 degrees "
                              "wide",
                      scale = "scale zone must lie between 0.1 and 10 with low <= high";
    for (const auto& [f, message] : std::vector<std::pair<std::function<void()>, std::string>>{
             {[&] { p.zone(3, 0, 1); }, dof},
             {[&] { p.zone(0, 0, 1); }, dof},
             {[&] { (void)p.zoneLow(5); }, dof},
             {[&] { (void)p.nominal(-1); }, dof},
             {[&] { p.zone(1, 10, -10); }, angle},
             {[&] { p.zone(1, -180, 180.5); }, angle},
             {[&] { p.zone(1, -inf, 0); }, angle},
             {[&] { p.zone(2, 0.05, 1); }, scale},
             {[&] { p.zone(2, 2, 1); }, scale},
             {[&] { p.zone(2, 1, 11); }, scale},
             {[&] { p.nominal(1, nan); }, "nominal angle must be finite"},
             {[&] { p.nominal(2, 0.0); }, "nominal scale must lie between 0.1 and 10"}}) {
        const auto e = caught<xc_AlignDefs::BadParams>(f);
        EXPECT_EQ(e.message(), message);
        EXPECT_EQ(e.errorNumber(), 0x10000403);
    }
    EXPECT_EQ(values(), set);
}

} // namespace
