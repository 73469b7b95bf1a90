#include "oc/imageutil/affine_clip.h"

#include "core/image/pel_ops.h"
#include "test_images.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace imageutil_test;

namespace {

constexpr auto kBilinear = xcAffineSamplingParams::eBilinear;

Image pattern(const xcPelRect& win) {
    return makeImage(win,
                     [](long x, long y) { return int((x * 7 + y * 13 + (x * y) % 11) % 256); });
}

} // namespace

// Angle 0 and scale 1 reproduce the window, with a mask that is 0 everywhere; the output keeps
// the source's client coordinates.
TEST(AffineTransform, IdentityReproducesTheWindow) {
    Image root = pattern(xcPelRect(0, 0, 80, 60));
    root.clientFromImageXform(xcXform<2>::translation(xcVector<2>(100, -7)));
    Image src = root;
    src.window(xcPelRect(10, 20, 31, 17));
    Image dst, dstMask;
    xf_AffineTransform(src, ConstImage(), xcRadian(0.0), 1.0, dst, dstMask, kBilinear, kBilinear);
    ASSERT_EQ(dst.window(), xcPelRect(0, 0, 31, 17));
    EXPECT_TRUE(xfPelEqual(dst, src));
    EXPECT_EQ(xfPelMax(dstMask), 0);
    EXPECT_TRUE(
        xfRealEq(dst.clientFromImage().mapPoint(xcVector<2>(0, 0)), xcVector<2>(110, 13), 1e-9));
}

// Scale 2 at angle 0 doubles the size; the output pels span the source's client rectangle.
TEST(AffineTransform, ScaleTwoDoublesTheSize) {
    Image src = pattern(xcPelRect(3, 4, 14, 40));
    src.clientFromImageXform(xcXform<2>::translation(xcVector<2>(-3, -4)));
    Image dst;
    xf_AffineTransform(src, xcRadian(0.0), 2.0, dst, kBilinear);
    ASSERT_EQ(dst.window(), xcPelRect(0, 0, 28, 80));
    EXPECT_TRUE(
        xfRealEq(dst.clientFromImage().mapPoint(xcVector<2>(28, 80)), xcVector<2>(14, 40), 1e-9));
    // Output pel (2i + 1, 2j + 1) samples a quarter pel right of and below src pel (i, j)'s centre.
    EXPECT_NEAR(pelAt(dst, 9, 21),
                0.5625 * pelAt(src, 7, 14) + 0.1875 * pelAt(src, 8, 14) +
                    0.1875 * pelAt(src, 7, 15) + 0.0625 * pelAt(src, 8, 15),
                1.0);
}

// 45 degrees on a 100 x 100 window: 100 sqrt(2) = 141.42 -> 141 x 141 pels; the corners lie
// outside the window (mask 255) and the middle inside (mask 0). The output is content-following:
// a bright pel keeps its client position.
TEST(AffineTransform, FortyFiveDegreesOfAHundredSquare) {
    Image src = makeImage(xcPelRect(0, 0, 100, 100),
                          [](long x, long y) { return x == 70 && y == 35 ? 255 : 40; });
    Image dst, dstMask;
    xf_AffineTransform(src, ConstImage(), xcRadian(std::numbers::pi / 4), 1.0, dst, dstMask,
                       kBilinear, kBilinear);
    ASSERT_EQ(dst.window(), xcPelRect(0, 0, 141, 141));
    ASSERT_EQ(dstMask.window(), xcPelRect(0, 0, 141, 141));
    EXPECT_EQ(pelAt(dstMask, 0, 0) + pelAt(dstMask, 140, 140) + pelAt(dstMask, 10, 10), 3 * 255);
    EXPECT_EQ(pelAt(dstMask, 70, 70), 0);

    long best = 0;
    for (long i = 0; i < 141 * 141; ++i)
        if (pelAt(dst, i % 141, i / 141) > pelAt(dst, best % 141, best / 141)) best = i;
    const int bright = pelAt(dst, best % 141, best / 141);
    const xcVector<2> client =
        dst.clientFromImage().mapPoint(xcVector<2>(best % 141 + 0.5, best / 141 + 0.5));
    EXPECT_LT(client.distance(xcVector<2>(70.5, 35.5)), 1.0);
    EXPECT_GT(bright, 60);
}

// An input mask: values from 128 up give 255, the rest 0, and outside the window stays 255.
TEST(AffineTransform, InputMaskIsThresholdedAndOutsideStaysMarked) {
    const Image src = pattern(xcPelRect(5, 5, 30, 20));
    const Image mask =
        makeImage(xcPelRect(5, 5, 30, 20), [](long x, long) { return x < 20 ? 127 : 128; });
    Image dst, dstMask;
    xf_AffineTransform(src, mask, xcRadian(0.0), 1.0, dst, dstMask, kBilinear, kBilinear);
    for (long x = 0; x < 30; ++x) EXPECT_EQ(pelAt(dstMask, x, 7), x < 15 ? 0 : 255) << x;
    Image turned, turnedMask;
    xf_AffineTransform(src, mask, xcRadian(0.5), 1.0, turned, turnedMask, kBilinear, kBilinear);
    EXPECT_EQ(pelAt(turnedMask, 0, 0), 255);
}

TEST(AffineTransform, CallerErrorsThrowBadParamsAndChangeNothing) {
    const Image src = pattern(xcPelRect(0, 0, 100, 100));
    Image dst(xcPelRect(0, 0, 2, 2)), dstMask;
    for (double scale : {0.0, -1.0, double(NAN), double(INFINITY)})
        EXPECT_THROW(xf_AffineTransform(src, xcRadian(0.0), scale, dst, kBilinear),
                     xcOCDefs::BadParams);
    expectBadParams([&] { xf_AffineTransform(src, xcRadian(0.0), 0.004, dst, kBilinear); },
                    "The output size must be between 0.5 and 32767 pels."); // 0.4 pels

    // 0.6 pels rounds to 1.
    xf_AffineTransform(src, xcRadian(0.0), 0.006, dst, kBilinear);
    EXPECT_EQ(dst.window(), xcPelRect(0, 0, 1, 1));
}
