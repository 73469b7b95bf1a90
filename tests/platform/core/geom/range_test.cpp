#include "core/geom/range.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(Range, EmptyAndFullAreKindsOfTheirOwn) {
    EXPECT_EQ(xcRange::EmptyRange(), xcRange::EmptyRange());
    EXPECT_EQ(xcRange::FullRange(), xcRange::FullRange());
    EXPECT_NE(xcRange::EmptyRange(), xcRange::FullRange());
    // Equal ends do not make a normal range empty or full.
    EXPECT_NE(xcRange::EmptyRange(), xcRange());
    EXPECT_NE(xcRange::EmptyRange(), xcRange(0, 0));
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_NE(xcRange::FullRange(), xcRange(-inf, inf));
    EXPECT_TRUE(xcRange::EmptyRange().isEmpty());
    EXPECT_TRUE(xcRange::FullRange().isFull());
    EXPECT_EQ(xcRange::FullRange().start(), -inf);
    EXPECT_EQ(xcRange::FullRange().end(), inf);
}

TEST(Range, NormalRangesKeepTheirEndsAsGiven) {
    const xcRange r(10, -5);
    EXPECT_EQ(r.start(), 10.0);
    EXPECT_EQ(r.end(), -5.0);
    EXPECT_EQ(r.kind(), xcRange::eNormal);
    EXPECT_EQ(xcRange(1, 2), xcRange(1, 2));
    EXPECT_NE(xcRange(1, 2), xcRange(1, 3));
    EXPECT_TRUE(xcRange(1, 2).contains(1.0));
    EXPECT_TRUE(xcRange(1, 2).contains(2.0));
    EXPECT_FALSE(xcRange(1, 2).contains(2.5));
    EXPECT_FALSE(xcRange::EmptyRange().contains(0.0));
    EXPECT_TRUE(xcRange::FullRange().contains(1e300));
}

} // namespace
