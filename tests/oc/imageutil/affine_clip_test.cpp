#include "oc/imageutil/affine_clip.h"

#include "core/image/pel_ops.h"
#include "test_images.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace imageutil_test;

namespace {

// Grey 100 everywhere but one bright pel at (5, 5).
Image flatWithSpot(const xcPelRect& win) {
    return makeImage(win, [](long x, long y) { return x == 5 && y == 5 ? 250 : 100; });
}

xcAffineSamplingParams axisParams(double x0, double y0, double w, double h, short nx, short ny) {
    return xcAffineSamplingParams(xcAffineRectangle(xcRect(x0, y0, w, h)), nx, ny,
                                  xcAffineSamplingParams::eBilinear);
}

} // namespace

TEST(AffineTransformWithClipping, InsideTheImageSamplesDirectlyAndLeavesTheMaskUnbound) {
    const Image src = makeImage(xcPelRect(0, 0, 60, 50), [](long x, long y) {
        return int(120 + 80 * std::sin(x / 4.0) * std::cos(y / 5.0));
    });
    const xcAffineRectangle turned(xcVector<2>(15.0, 12.0), 25.0, 20.0,
                                   xcRadian(std::numbers::pi / 9), xcRadian(0.0));
    const xcAffineSamplingParams params(turned, 30, 24, xcAffineSamplingParams::eBilinear);
    ASSERT_FALSE(params.willClip(src));
    Image dst, dstMask, plain;
    xfAffineTransformWithClipping(src, ConstImage(), params, dst, dstMask);
    xfAffineTransformImage(src, params, plain);
    EXPECT_TRUE(xfPelEqual(dst, plain));
    EXPECT_FALSE(dstMask.isBound());
    // A mask is sampled with the same parameters.
    Image dst2, mask2, plainMask;
    xfAffineTransformWithClipping(src, src, params, dst2, mask2);
    xfAffineTransformImage(src, params, plainMask);
    ASSERT_TRUE(mask2.isBound());
    EXPECT_TRUE(xfPelEqual(mask2, plainMask));
}

// The rectangle covers x = -20 .. 20 of a 40 x 30 image of grey 100 with a bright pel at (5, 5):
// the left half of the output comes from outside (the median, 100; mask 0), the right half from
// the image (mask 255). One output pel per image pel, so there is no transition.
TEST(AffineTransformWithClipping, HalfOutsideFillsWithTheMedianAndMarksTheImagePart) {
    const Image src = flatWithSpot(xcPelRect(0, 0, 40, 30));
    Image dst, dstMask;
    xfAffineTransformWithClipping(src, ConstImage(), axisParams(-20, 0, 40, 30, 40, 30), dst,
                                  dstMask);
    EXPECT_EQ(dst.window(), xcPelRect(0, 0, 40, 30));
    EXPECT_TRUE(xfPelEqual(dst, makeImage(dst.window(), [](long x, long y) {
                               return x == 25 && y == 5 ? 250 : 100;
                           })));
    EXPECT_TRUE(xfPelEqual(dstMask,
                           makeImage(dst.window(), [](long x, long) { return x < 20 ? 0 : 255; })));
    // The output keeps the source's client coordinates.
    EXPECT_EQ(dst.clientFromImage().mapPoint(xcVector<2>(0, 0)), xcVector<2>(-20, 0));
}

// Mask values come through, padding is zero, and the rectangle is in client coordinates.
TEST(AffineTransformWithClipping, MaskValuesPaddingAndClientCoordinates) {
    const Image src = flatWithSpot(xcPelRect(10, 5, 20, 10));
    const Image mask =
        makeImage(xcPelRect(10, 5, 20, 10), [](long x, long) { return x < 15 ? 0 : 200; });
    Image dst, dstMask;
    // x from 0 to 20: image columns 10 .. 19 on the right half.
    xfAffineTransformWithClipping(src, mask, axisParams(0, 5, 20, 10, 20, 10), dst, dstMask);
    for (long x = 0; x < 20; ++x) EXPECT_EQ(pelAt(dstMask, x, 3), x < 15 ? 0 : 200) << x;
    EXPECT_EQ(xfPelMin(dst), 100);

    // Entirely outside: all median, all padding.
    Image far, farMask;
    xfAffineTransformWithClipping(src, mask, axisParams(200, 300, 8, 6, 8, 6), far, farMask);
    EXPECT_EQ(std::pair(int(xfPelMin(far)), int(xfPelMax(far))), std::pair(100, 100));
    EXPECT_EQ(xfPelMax(farMask), 0);

    // A client transform moves the rectangle with it: client x = image x + 100.
    Image moved = flatWithSpot(xcPelRect(0, 0, 40, 30));
    moved.clientFromImageXform(xcXform<2>::translation(xcVector<2>(100, 0)));
    Image out, outMask;
    xfAffineTransformWithClipping(moved, ConstImage(), axisParams(80, 0, 40, 30, 40, 30), out,
                                  outMask);
    EXPECT_EQ(pelAt(out, 25, 5), 250);
    EXPECT_EQ(std::pair(pelAt(outMask, 19, 5), pelAt(outMask, 20, 5)), std::pair(0, 255));
    EXPECT_EQ(out.clientFromImage().mapPoint(xcVector<2>(0, 0)), xcVector<2>(80, 0));
}

TEST(AffineTransformWithClipping, CallerErrorsThrowBadParamsAndChangeNothing) {
    const Image src = flatWithSpot(xcPelRect(0, 0, 40, 30));
    const auto params = axisParams(-20, 0, 40, 30, 40, 30);
    Image bound(xcPelRect(0, 0, 3, 3)), unbound;
    expectBadParams(
        [&] { xfAffineTransformWithClipping(src, ConstImage(), params, bound, unbound); },
        "The output image must be unbound.");
}

// A rectangle far off or far larger than the image had its padded box converted to pel
// coordinates before any check, which is undefined beyond the range of long. As far as pel
// buffers reach, a far rectangle samples the padding.
TEST(AffineTransformWithClipping, FarOrHugeRectangleIsRefusedBeforeItsBoxIsRounded) {
    const Image src = flatWithSpot(xcPelRect(0, 0, 40, 30));
    const struct {
        double at, size;
        const char* refusal;
    } cases[] = {{1e19, 4096, "The sampled region lies too far from the image."},
                 {-1e13, 4, "The sampled region lies too far from the image."},
                 {0, 1e60, "The sampled region is too large."},
                 {1e12, 4, nullptr}};
    for (const auto& c : cases) {
        Image dst, dstMask;
        const auto sample = [&] {
            xfAffineTransformWithClipping(src, ConstImage(),
                                          axisParams(c.at, 0, c.size, c.size, 4, 4), dst, dstMask);
        };
        if (c.refusal) {
            expectBadParams(sample, c.refusal);
            EXPECT_FALSE(dst.isBound());
        } else {
            sample();
            EXPECT_EQ(*dst.pointToPel(0, 0), 100);
        }
    }
}
