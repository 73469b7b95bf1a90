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

xcPelBuffer<unsigned char> filled(long w, long h, unsigned char v) {
    xcPelBuffer<unsigned char> b(w, h);
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x) *b.pointToPel(x, y) = v;
    return b;
}

void fillRect(xcPelBuffer<unsigned char>& b, long x0, long y0, long w, long h, unsigned char v) {
    for (long y = y0; y < y0 + h; ++y)
        for (long x = x0; x < x0 + w; ++x) *b.pointToPel(x, y) = v;
}

// What a run reports: how many results, their order, acceptance and overlap merging.

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
    // A threshold equal to the weakest score still accepts it.
    f.pat.run(img, uprightParams(8, rs[4].score()), rs, nullptr, 0);
    EXPECT_EQ(rs.numAccepted(), 5u);
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

// Runs with a mask: pels below 128 are ignored, the mask pairs with the image window-relatively.

TEST(AlignMask, MaskedInstancesAreIgnoredAndPartlyMaskedOnesStillMatch) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'S', 26.0);
    xcAlignPattern pat;
    pat.train(glyph.trainImage(), 3, nullptr, 0);
    // A larger buffer whose window holds the scene at (20, 10); the mask is its own buffer of
    // the window's size.
    oc_test::Scene scene(200, 80);
    scene.place(glyph, 10.0, 1.0, xcVector<2>(50.3, 40.2));
    scene.place(glyph, -25.0, 1.0, xcVector<2>(150.8, 39.6));
    const xcPelBuffer<unsigned char> pels = scene.finish(0.7, 4.0, 8);
    xcPelBuffer<unsigned char> big(240, 100);
    fillRect(big, 0, 0, 240, 100, 200);
    for (long y = 0; y < 80; ++y)
        for (long x = 0; x < 200; ++x) *big.pointToPel(x + 20, y + 10) = *pels.pointToPel(x, y);
    big.window(xcPelRect(20, 10, 200, 80));

    const xcAlignRunParams params = align_test::searchParams(0.9, 1.1, 3);
    xcAlignResultSet rs;
    pat.run(big, filled(200, 80, 128), params, rs, nullptr, 0);
    EXPECT_EQ(rs.numAccepted(), 2u);

    // The right instance masked away entirely: only the left one is found.
    xcPelBuffer<unsigned char> mask = filled(200, 80, 255);
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

TEST(AlignMask, MaskOfAnotherSizeOrUnboundIsRefused) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'S', 26.0);
    xcAlignPattern pat;
    pat.train(glyph.trainImage(), 3, nullptr, 0);
    const xcPelBuffer<unsigned char> img = glyph.trainImage();
    xcAlignResultSet rs;
    EXPECT_THROW(pat.run(img, filled(img.width() + 1, img.height(), 255), xcAlignRunParams(), rs,
                         nullptr, 0),
                 xc_AlignDefs::BadParams);
    EXPECT_THROW(
        pat.run(img, xcPelBuffer_const<unsigned char>(), xcAlignRunParams(), rs, nullptr, 0),
        xc_AlignDefs::BadParams);
}

// The run image cache: keyed on pel content, never stale (threads: align_thread_tests).

// Copies the window of src into dst pel by pel (same size).
void overwrite(xcPelBuffer<unsigned char>& dst, const xcPelBuffer_const<unsigned char>& src) {
    for (long y = 0; y < src.height(); ++y)
        for (long x = 0; x < src.width(); ++x) *dst.pointToPel(x, y) = *src.pointToPel(x, y);
}

// The same buffer searched again after its pels changed sees the new content.
TEST(AlignCache, ChangedPelsInTheSameBufferAreNotServedStale) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'4', 26.0);
    xcAlignPattern pat;
    pat.train(glyph.trainImage(), 3, nullptr, 0);
    oc_test::Scene a(160, 100), b(160, 100);
    const oc_test::Placement pa = a.place(glyph, 20.0, 1.0, xcVector<2>(40.3, 50.8));
    const oc_test::Placement pb = b.place(glyph, -70.0, 1.1, xcVector<2>(118.6, 47.2));
    xcPelBuffer<unsigned char> img = a.finish(0.7, 4.0, 1);
    const xcAlignRunParams params = align_test::searchParams(0.9, 1.2, 2);
    xcAlignResultSet rs;
    pat.run(img, params, rs, nullptr, 0);
    ASSERT_EQ(rs.numAccepted(), 1u);
    EXPECT_LT(align_test::centreError(rs[0].pose(), pa.pose, glyph.centre()), 0.2);

    overwrite(img, b.finish(0.7, 4.0, 2));
    pat.run(img, params, rs, nullptr, 0);
    ASSERT_EQ(rs.numAccepted(), 1u);
    EXPECT_LT(align_test::centreError(rs[0].pose(), pb.pose, glyph.centre()), 0.2);
}

// A changed mask with unchanged pels is a different search as well.
TEST(AlignCache, ChangedMaskIsNotServedStale) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'4', 26.0);
    xcAlignPattern pat;
    pat.train(glyph.trainImage(), 3, nullptr, 0);
    oc_test::Scene scene(100, 80);
    scene.place(glyph, 0.0, 1.0, xcVector<2>(50.5, 40.5));
    const xcPelBuffer<unsigned char> img = scene.finish(0.7, 4.0, 1);
    xcPelBuffer<unsigned char> mask = filled(100, 80, 0);
    const xcAlignRunParams params = align_test::searchParams(0.9, 1.2, 2);
    xcAlignResultSet rs;
    pat.run(img, mask, params, rs, nullptr, 0);
    EXPECT_EQ(rs.numAccepted(), 0u);
    fillRect(mask, 0, 0, 100, 80, 255);
    pat.run(img, mask, params, rs, nullptr, 0);
    EXPECT_EQ(rs.numAccepted(), 1u);
}

// The caller's time limit: polled during a run, the results found so far stay readable.

struct Job {
    oc_test::GlyphImage glyph{oc_test::kSansFont, U'R', 24.0};
    oc_test::Scene scene{400, 300};
    xcPelBuffer<unsigned char> img;
    xcAlignPattern pat;
    Job() {
        oc_test::Rng rng(17);
        align_test::scatter(scene, glyph, 8, rng, 0.9, 1.1);
        img = scene.finish(0.7, 8.0, 3);
        pat.train(glyph.trainImage(), 3, nullptr, 0);
    }
};

// Whatever a run left in the set is consistent: best first, accepted results only or the best
// one alone unaccepted, each accepted one on a placed instance.
void expectConsistent(const Job& job, const xcAlignResultSet& rs) {
    for (std::size_t i = 1; i < rs.size(); ++i) EXPECT_GE(rs[i - 1].score(), rs[i].score());
    if (rs.numAccepted() == 0)
        EXPECT_LE(rs.size(), 1u);
    else
        EXPECT_EQ(rs.numAccepted(), rs.size());
    for (const xcAlignResult& r : rs) {
        if (!r.accepted()) continue;
        double best = 1e9;
        for (const oc_test::Placement& p : job.scene.placements())
            best = std::min(best, align_test::centreError(r.pose(), p.pose, job.glyph.centre()));
        EXPECT_LT(best, 0.5);
    }
}

// A limit that has already passed: the library's own code propagates, an ordinary one as
// Expired; the set left behind is readable.
TEST(AlignTimeout, PassedLimitsExpireWithReadableResults) {
    Job job;
    xcAlignResultSet rs;
    const xcAlignRunParams params = align_test::searchParams(0.9, 1.1, 10);
    {
        xcAttentionTag tag(true);
        tag.attachTimeoutCustom(0.0, 0x80000064);
        EXPECT_EQ(caught<xcTimeout::InternalExpired>([&] {
                      job.pat.run(job.img, params, rs, nullptr, 0);
                  }).code(),
                  0x80000064);
    }
    expectConsistent(job, rs);
    EXPECT_EQ(rs.size(), 0u);
    xcAttentionTag tag(true);
    tag.attachTimeout(0.0);
    EXPECT_THROW(job.pat.run(job.img, params, rs, nullptr, 0), xcTimeout::Expired);
}

// Limits from very short to ample: a run either completes or expires, and in both cases the set
// holds a consistent part of the answer; with no limit all eight instances are found.
TEST(AlignTimeout, ExpiryPartWayLeavesAConsistentPartialAnswer) {
    Job job;
    const xcAlignRunParams params = align_test::searchParams(0.9, 1.1, 10);
    xcAlignResultSet full;
    job.pat.run(job.img, params, full, nullptr, 0);
    EXPECT_EQ(full.numAccepted(), 8u);
    for (double ms : {0.2, 0.5, 1.0, 2.0, 4.0, 8.0}) {
        xcAlignResultSet rs;
        xcAttentionTag tag(true);
        tag.attachTimeoutCustom(ms * 1e-3, 0x80000064);
        try {
            job.pat.run(job.img, params, rs, nullptr, 0);
            EXPECT_EQ(rs.numAccepted(), 8u);
        } catch (const xcTimeout::InternalExpired&) {
            EXPECT_LE(rs.numAccepted(), 8u);
        }
        expectConsistent(job, rs);
    }
}

// Training the alignment pattern: what it refuses and what it keeps.

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
    xcPelBuffer<unsigned char> ramp(40, 40);
    for (long y = 0; y < 40; ++y)
        for (long x = 0; x < 40; ++x)
            *ramp.pointToPel(x, y) = static_cast<unsigned char>(100 + x / 4);
    EXPECT_EQ(refusal(ramp), "image too flat to train: no edge stands out");
    EXPECT_EQ(refusal(filled(5, 30, 0)), "image too small to train: it needs at least 6 x 6 pels");
    EXPECT_EQ(refusal(filled(30, 5, 0)), "image too small to train: it needs at least 6 x 6 pels");
    // One dark pel: a handful of edge points only.
    xcPelBuffer<unsigned char> dot = filled(30, 30, 200);
    fillRect(dot, 15, 15, 1, 1, 40);
    EXPECT_EQ(refusal(dot), "too few edge features to train on");
    // One straight bar: its long sides' normals all point one way.
    xcPelBuffer<unsigned char> bar = filled(64, 24, 200);
    fillRect(bar, 8, 10, 48, 4, 40);
    EXPECT_EQ(refusal(bar), "edges run in one direction only and cannot fix the pattern's pose");
    // A cross fixes the pose and trains.
    xcPelBuffer<unsigned char> cross = filled(64, 64, 200);
    fillRect(cross, 8, 30, 48, 4, 40);
    fillRect(cross, 30, 8, 4, 48, 40);
    EXPECT_EQ(refusal(cross), "");
}

// Manual grain limits need 4 coarse grains a side; the two-attempt path (second attempt with
// limits 1, 1) then trains a small character.
TEST(AlignTraining, ManualGrainLimitsRefuseImagesSmallerThanFourCoarseGrains) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'E', 9.0, 3);
    const xcPelBuffer<unsigned char> img = glyph.trainImage();
    ASSERT_LT(std::min(img.width(), img.height()), 16);
    xcAlignPattern pat;
    pat.autoSelectGrainLimits(false);
    pat.grainLimits(2.0f, 4.0f);
    EXPECT_EQ(caught<xc_AlignDefs::Errors>([&] { pat.train(img, 3, nullptr, 0); }).message(),
              "image too small for the coarse grain limit: each side needs 4 coarse grains");
    pat.grainLimits(1.0f, 1.0f);
    EXPECT_NO_THROW(pat.train(img, 3, nullptr, 0));
    EXPECT_TRUE(pat.isTrained());
    EXPECT_FLOAT_EQ(pat.grainLimitFine(), 1.0f);
    EXPECT_FLOAT_EQ(pat.grainLimitCoarse(), 1.0f);
}

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
    EXPECT_THROW(pat.train(xcPelBuffer_const<unsigned char>(), 3, nullptr, 0),
                 xc_AlignDefs::BadParams);
    EXPECT_THROW(pat.train(glyph.trainImage(), 4, nullptr, 0), xc_AlignDefs::BadParams);
    EXPECT_THROW(pat.train(glyph.trainImage(), -1, nullptr, 0), xc_AlignDefs::BadParams);
    EXPECT_FALSE(pat.isTrained());
    EXPECT_THROW(pat.trainImage(), xc_AlignDefs::BadParams);
    EXPECT_THROW(pat.trainClientFromImage(), xc_AlignDefs::BadParams);
    xcAlignResultSet rs;
    EXPECT_THROW(pat.run(glyph.trainImage(), xcAlignRunParams(), rs, nullptr, 0),
                 xc_AlignDefs::BadParams);
    // An internal error is one of the tool's errors, so a handler for Errors takes it.
    EXPECT_EQ(xc_AlignDefs::InternalError("x").errorNumber(), 0x10000402);
    EXPECT_THROW(throw xc_AlignDefs::InternalError("x"), xc_AlignDefs::Errors);
}

// A failed training leaves the earlier training in place.
TEST(AlignTraining, RefusedTrainingKeepsThePreviousPattern) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'K', 24.0);
    xcAlignPattern pat;
    pat.train(glyph.trainImage(), 1, nullptr, 0);
    const xcPelRect before = pat.trainImage().window();
    EXPECT_THROW(pat.train(filled(40, 40, 90), 3, nullptr, 0), xc_AlignDefs::Errors);
    EXPECT_TRUE(pat.isTrained());
    EXPECT_EQ(pat.dofMask(), 1);
    EXPECT_EQ(pat.trainImage().window(), before);
    xcAlignResultSet rs;
    xcAlignRunParams params;
    pat.run(glyph.trainImage(), params, rs, nullptr, 0);
    ASSERT_EQ(rs.size(), 1u);
    EXPECT_GT(rs[0].score(), 0.98);
}

// The pattern keeps its own copy of the window with the window's position and transforms;
// changing the caller's pels afterwards does not reach it.
TEST(AlignTraining, TrainImageIsACopyWithTheSameWindowAndTransforms) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'F', 24.0);
    const xcPelBuffer<unsigned char> g = glyph.trainImage();
    xcPelBuffer<unsigned char> big = filled(100, 80, 200);
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
    EXPECT_EQ(values(), std::vector<double>({0.0, 360.0, 0.1, 10.0, -65.0, 10.0}));
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
    EXPECT_EQ(values(), std::vector<double>({0.0, 360.0, 0.1, 10.0, -65.0, 10.0}));
}

} // namespace
