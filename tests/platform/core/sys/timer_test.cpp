#include "core/sys/timer.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

void spin(double ms) {
    for (const auto t0 = Clock::now(); msSince(t0) < ms;) {
    }
}

// Readings are bracketed by the test's own clock reads, so the checks hold under any load.
TEST(Timer, CountsOnlyWhileRunningSumsIntervalsAndResets) {
    xcTimer t;
    t.stop(); // stopping a stopped timer changes nothing
    EXPECT_EQ(t.msec(), 0.0);
    const auto outer = Clock::now();
    t.start();
    const auto inner = Clock::now();
    spin(2.0);
    const double innerMs = msSince(inner);
    t.stop();
    const double first = t.msec();
    EXPECT_GE(first, innerMs);
    EXPECT_LE(first, msSince(outer));
    spin(1.0);
    EXPECT_EQ(t.msec(), first); // a stopped timer stands still
    t.start();
    spin(1.0);
    t.start(); // keeps the running interval
    EXPECT_GE(t.msec(), first + 1.0);
    // Reset while running restarts and keeps running; reset while stopped clears.
    const auto before = Clock::now();
    t.reset();
    EXPECT_LE(t.msec(), msSince(before));
    EXPECT_TRUE(t.isRunning());
    t.stop();
    t.reset();
    spin(1.0);
    EXPECT_EQ(t.msec(), 0.0);
}

} // namespace
