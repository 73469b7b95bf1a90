#include "core/geom/range.h"

#include <gtest/gtest.h>

#include <limits>

TEST(Range, EmptyAndFullAreKindsOfTheirOwnNormalKeepsItsEnds) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_NE(xcRange::EmptyRange(), xcRange::FullRange());
    // Equal or infinite ends do not make a normal range empty or full.
    EXPECT_NE(xcRange::EmptyRange(), xcRange(0, 0));
    EXPECT_NE(xcRange::FullRange(), xcRange(-inf, inf));
    EXPECT_EQ(xcRange::FullRange().start(), -inf);
    const xcRange r(10, -5);
    EXPECT_EQ(r.end(), -5.0);
    EXPECT_EQ(r.kind(), xcRange::eNormal);
    EXPECT_TRUE(xcRange(1, 2).contains(2.0));
    EXPECT_FALSE(xcRange(1, 2).contains(2.5) || xcRange::EmptyRange().contains(0.0));
    EXPECT_TRUE(xcRange::FullRange().contains(1e300));
}
