// The caller's time limit stops a run promptly and propagates.
#include "corrsearch_test_util.h"
#include "support/caught.h"

#include "core/sys/attention.h"
#include "core/sys/timeout.h"

#include <gtest/gtest.h>

#include <chrono>

TEST(CorrSearchTimeout, ExpiredLimitsPropagateAndStopLongRunsPromptly) {
    // A large noise image and a large model: a full-resolution run would take seconds.
    const long size = 2048;
    xcPelBuffer<unsigned char> img(size, size);
    oc_test::Rng rng(5);
    for (long y = 0; y < size; ++y)
        for (long x = 0; x < size; ++x)
            *img.pointToPel(x, y) = static_cast<unsigned char>(rng.next() & 0xFF);
    xcPelBuffer_const<unsigned char> patch = img;
    patch.window(xcPelRect(700, 900, 128, 128));
    const xcCorrSearchModel m = cs_test::trained(patch, 24);

    {
        xcAttentionTag tag(true);
        tag.attachTimeout(0.0);
        EXPECT_THROW(cs_test::run(m, img, cs_test::runParams(0.5, 1)), xcTimeout::Expired);
    }
    {
        xcAttentionTag tag(true);
        tag.attachTimeoutCustom(0.0, 0x80000064);
        EXPECT_EQ(caught<xcTimeout::InternalExpired>([&] {
                      cs_test::run(m, img, cs_test::runParams(0.5, 1, 16));
                  }).code(),
                  0x80000064);
    }
    for (long algorithm : {8L, 16L}) {
        xcAttentionTag tag(true);
        const auto start = std::chrono::steady_clock::now();
        tag.attachTimeout(0.02);
        EXPECT_THROW(cs_test::run(m, img, cs_test::runParams(0.5, 1, algorithm)),
                     xcTimeout::Expired);
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        // The limit is polled after about a millisecond of work, but a full run takes seconds:
        // the bound leaves room for sanitiser builds on a busy machine.
        EXPECT_LT(ms, 500.0) << "algorithm " << algorithm;
    }
}
