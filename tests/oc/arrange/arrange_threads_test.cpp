// Several arranges at once on different threads, sharing one alphabet read-only.
#include "oc/arrange/arrange.h"
#include "oc/arrange/arrange_fixtures.h"

#include <gtest/gtest.h>

#include <thread>

using namespace arrange_test;

TEST(OCArrangeThreads, ConcurrentRunsMatchOneAtATime) {
    const Keys keys = keysOf(kText);
    std::vector<Arranged> alone;
    for (double angleDeg : {0.0, 35.0, -80.0, 170.0})
        alone.push_back(arrange(keys, keys, placed(keys, angleDeg, {160, 120})));
    // Two threads per image, so that the extraction's per-thread caches and the shared alphabet
    // are both exercised.
    std::vector<xcOCArrangeResults> together(2 * alone.size());
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < together.size(); ++t)
        threads.emplace_back([&, t] {
            xfOCArrange(alone[t % alone.size()].image, *alphabet().alphabet(), keys, {},
                        together[t], nullptr, 0);
        });
    for (std::thread& t : threads) t.join();
    for (std::size_t t = 0; t < together.size(); ++t)
        EXPECT_EQ(together[t], alone[t % alone.size()].results) << t;
}
