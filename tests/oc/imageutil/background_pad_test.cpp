#include "oc/imageutil/background_pad.h"

#include "core/image/pel_ops.h"
#include "test_images.h"

#include <gtest/gtest.h>

using namespace imageutil_test;

namespace {

// The column 10 200 30 40 50 60 70 80 (n = 8, r = 2) smoothed by the running median: position 0
// takes the middle of {10 30 200}, 1 the upper middle of {10 30 40 200}, 2 of {10 30 40 50 200},
// 3 of {30 40 50 60 200}, 4 of {30 .. 70}, 5 of {40 .. 80}, 6 the upper middle of {50 .. 80},
// 7 the middle of {60 70 80}.
const std::vector<int> kLine{10, 200, 30, 40, 50, 60, 70, 80};
const std::vector<int> kSmoothed{30, 40, 40, 50, 50, 60, 70, 70};

} // namespace

// A window 10 pels wider than rect on the left only: each row of rect gets 10 copies of the
// smoothed value of its first pel; rows above and below do not exist.
TEST(BackgroundPad, TenColumnsLeftTakeTheSmoothedFirstColumn) {
    Image img = makeImage(xcPelRect(0, 0, 15, 8),
                          [](long x, long y) { return x >= 10 ? kLine[y] + x - 10 : 0; });
    xf_OCBackgroundPadImage(img, xcPelRect(10, 0, 5, 8));
    EXPECT_TRUE(xfPelEqual(img, makeImage(img.window(), [](long x, long y) {
                               return x >= 10 ? kLine[y] + x - 10 : kSmoothed[y];
                           })));
}

// Rows above: R's top row smoothed over the window's width (n = 8, r = 2); a line of 3 (r = 0) is
// copied unsmoothed.
TEST(BackgroundPad, RunningMedianOfTheEdgeRows) {
    Image img =
        makeImage(xcPelRect(0, 0, 8, 5), [](long x, long y) { return y >= 2 ? kLine[x] : 0; });
    xf_OCBackgroundPadImage(img, xcPelRect(0, 2, 8, 3));
    EXPECT_EQ(rowsOf(img)[0], kSmoothed);
    EXPECT_EQ(rowsOf(img)[1], kSmoothed);
    EXPECT_EQ(rowsOf(img)[2], kLine);

    Image narrow = fromRows(xcPelRect(0, 0, 3, 3), {{0, 0, 0}, {0, 0, 0}, {90, 10, 50}});
    xf_OCBackgroundPadImage(narrow, xcPelRect(0, 2, 3, 1));
    EXPECT_EQ(rowsOf(narrow),
              (std::vector<std::vector<int>>{{90, 10, 50}, {90, 10, 50}, {90, 10, 50}}));
}

// R = (2, 1, 3, 2) in a 7 x 5 window. Top row 10 90 20 extends to 10 10 10 90 20 20 20 (n = 7,
// r = 1) and smooths to 10 10 10 20 20 20 20; bottom row 30 40 200 -> 30 30 30 40 200 200 200 ->
// 30 30 30 40 200 200 200. Columns (n = 2, r = 0): left 10 30, right 20 200, unsmoothed.
TEST(BackgroundPad, AllFourSidesAndCorners) {
    Image img = fromRows(xcPelRect(0, 0, 7, 5), {{0, 0, 0, 0, 0, 0, 0},
                                                 {0, 0, 10, 90, 20, 0, 0},
                                                 {0, 0, 30, 40, 200, 0, 0},
                                                 {0, 0, 0, 0, 0, 0, 0},
                                                 {0, 0, 0, 0, 0, 0, 0}});
    xf_OCBackgroundPadImage(img, xcPelRect(2, 1, 3, 2));
    const std::vector<std::vector<int>> want{
        {10, 10, 10, 20, 20, 20, 20},    {10, 10, 10, 90, 20, 20, 20},
        {30, 30, 30, 40, 200, 200, 200}, {30, 30, 30, 40, 200, 200, 200},
        {30, 30, 30, 40, 200, 200, 200},
    };
    EXPECT_EQ(rowsOf(img), want);
}

TEST(BackgroundPad, CallerErrorsThrowBadParams) {
    Image img = makeImage(xcPelRect(0, 0, 6, 6), [](long x, long) { return x; });
    const auto before = rowsOf(img);
    expectBadParams([&] { xf_OCBackgroundPadImage(img, xcPelRect(1, 1, 6, 2)); },
                    "The rectangle must lie inside the image window.");
    EXPECT_EQ(rowsOf(img), before);
    xf_OCBackgroundPadImage(img, xcPelRect(2, 2, 0, 3)); // empty: nothing to continue
    xf_OCBackgroundPadImage(img, img.window());          // nothing outside
    EXPECT_EQ(rowsOf(img), before);
}

// A filled care rectangle comes back and unbinds the mask, which cares for all of it; one with
// a hole windows the mask; no care unbinds it and is not found; an unbound mask gives null.
TEST(MaskCareRegion, ExactHoledNoneAndUnbound) {
    ConstImage mask = makeImage(xcPelRect(1, 1, 6, 6), [](long x, long y) {
        return x >= 3 && x < 5 && y >= 2 && y < 5 ? 100 + x : 99;
    });
    bool found = false;
    EXPECT_EQ(xf_OCWindowMaskCareRegion(mask, 100, found), xcPelRect(3, 2, 2, 3));
    EXPECT_TRUE(found);
    EXPECT_FALSE(mask.isBound());
    ConstImage holed = makeImage(xcPelRect(0, 0, 8, 8), [](long x, long y) {
        return (x == 2 || x == 6) && y >= 1 && y <= 5 ? 255 : 0;
    });
    EXPECT_EQ(xf_OCWindowMaskCareRegion(holed, 128, found), xcPelRect(2, 1, 5, 5));
    EXPECT_TRUE(found);
    ASSERT_TRUE(holed.isBound());
    EXPECT_EQ(holed.window(), xcPelRect(2, 1, 5, 5));

    ConstImage none = makeImage(xcPelRect(0, 0, 4, 4), [](long, long) { return 127; });
    EXPECT_EQ(xf_OCWindowMaskCareRegion(none, 128, found), xcPelRect());
    EXPECT_FALSE(found);
    EXPECT_FALSE(none.isBound());

    ConstImage unbound;
    EXPECT_EQ(xf_OCWindowMaskCareRegion(unbound, 128, found), xcPelRect());
    EXPECT_TRUE(found);
}

TEST(BackgroundPadWithMask, PadsToTheCaredPartOfRect) {
    // Image 10 x 6; the mask cares for columns 3 .. 8 of rows 1 .. 4 with a hole; rect is
    // (1, 0, 6, 6), so the box is (3, 1, 4, 4).
    Image img = makeImage(xcPelRect(0, 0, 10, 6), [](long x, long y) { return 10 * y + x; });
    Image mask = makeImage(xcPelRect(0, 0, 10, 6), [](long x, long y) {
        return x >= 3 && x <= 8 && y >= 1 && y <= 4 && !(x == 5 && y == 2) ? 200 : 0;
    });
    bool found = false;
    xf_OCBackgroundPadImage(img, mask, 128, xcPelRect(1, 0, 6, 6), found);
    EXPECT_TRUE(found);
    ASSERT_TRUE(mask.isBound());
    EXPECT_EQ(mask.window(), xcPelRect(3, 1, 6, 4));
    // Inside the box the image is unchanged; left of it every row takes the box's first column.
    EXPECT_EQ(pelAt(img, 4, 2), 24);
    EXPECT_EQ(pelAt(img, 0, 2), 23);
    // The mask is padded outside the box within its own window: its hole at (5, 2) is inside.
    EXPECT_EQ(pelAt(mask, 5, 2), 0);
    EXPECT_EQ(pelAt(mask, 8, 2), 200);

    // No cared pel: not found, mask unbound, image untouched.
    Image img2 = makeImage(xcPelRect(0, 0, 5, 5), [](long x, long y) { return x * y; });
    Image none = makeImage(xcPelRect(0, 0, 5, 5), [](long, long) { return 3; });
    const auto before = rowsOf(img2);
    xf_OCBackgroundPadImage(img2, none, 128, xcPelRect(1, 1, 2, 2), found);
    EXPECT_FALSE(found);
    EXPECT_FALSE(none.isBound());
    EXPECT_EQ(rowsOf(img2), before);

    // The care box misses rect: nothing is padded.
    Image corner =
        makeImage(xcPelRect(0, 0, 5, 5), [](long x, long y) { return x >= 4 && y >= 4 ? 255 : 0; });
    xf_OCBackgroundPadImage(img2, corner, 128, xcPelRect(0, 0, 2, 2), found);
    EXPECT_TRUE(found);
    EXPECT_EQ(rowsOf(img2), before);
}
