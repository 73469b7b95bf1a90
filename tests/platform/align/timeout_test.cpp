// The caller's time limit: polled during a run, the results found so far stay readable.
#include "align_test_util.h"

#include "core/sys/attention.h"
#include "core/sys/timeout.h"

#include <gtest/gtest.h>

namespace {

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

} // namespace

TEST(AlignTimeout, ZeroCustomLimitExpiresInternallyWithReadableResults) {
    Job job;
    xcAlignResultSet rs;
    {
        xcAttentionTag tag(true);
        tag.attachTimeoutCustom(0.0, 0x80000064);
        try {
            job.pat.run(job.img, align_test::searchParams(0.9, 1.1, 10), rs, nullptr, 0);
            FAIL() << "the run should have expired";
        } catch (const xcTimeout::InternalExpired& e) {
            EXPECT_EQ(e.code(), 0x80000064);
        }
    }
    expectConsistent(job, rs);
    EXPECT_EQ(rs.size(), 0u);
}

TEST(AlignTimeout, OrdinaryLimitPropagatesAsExpired) {
    Job job;
    xcAlignResultSet rs;
    xcAttentionTag tag(true);
    tag.attachTimeout(0.0);
    EXPECT_THROW(job.pat.run(job.img, align_test::searchParams(0.9, 1.1, 10), rs, nullptr, 0),
                 xcTimeout::Expired);
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
