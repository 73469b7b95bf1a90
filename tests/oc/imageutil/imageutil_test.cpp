// The image utilities on small images built from functions of their image coordinates: clipped
// and turned resampling, mirror and background padding, blankness and mark detection.
#include "core/image/pel_ops.h"
#include "foundation/oc_defs.h"
#include "oc/imageutil/affine_clip.h"
#include "oc/imageutil/background_pad.h"
#include "oc/imageutil/blankness.h"
#include "oc/imageutil/mark_rect.h"
#include "oc/imageutil/mirror_pad.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

namespace {

using Image = xcPelBuffer<unsigned char>;
using ConstImage = xcPelBuffer_const<unsigned char>;
using Rows = std::vector<std::vector<int>>;
constexpr auto kBilinear = xcAffineSamplingParams::eBilinear;
constexpr auto kDark = xcOCDefs::eDarkOnLight;
const ConstImage kNone;

// A new image with window `win` whose pel at image coordinates (x, y) is f(x, y).
Image makeImage(const xcPelRect& win, const std::function<int(long, long)>& f) {
    Image img(win);
    for (long y = 0; y < win.height(); ++y)
        for (long x = 0; x < win.width(); ++x)
            *img.pointToPel(x, y) = static_cast<unsigned char>(f(win.x() + x, win.y() + y));
    return img;
}
int pelAt(const ConstImage& img, long x, long y) {
    return *img.pointToPel(x - img.window().x(), y - img.window().y());
}
Rows rowsOf(const ConstImage& img) {
    Rows rows(size_t(img.height()));
    for (long y = 0; y < img.height(); ++y)
        for (long x = 0; x < img.width(); ++x) rows[y].push_back(*img.pointToPel(x, y));
    return rows;
}
template <class F>
void expectBadParams(F&& f, const char* what) {
    const auto e = caught<xcOCDefs::BadParams>(f);
    EXPECT_STREQ(e.what(), what);
    EXPECT_EQ(e.errorNumber(), 0x10005E00);
}

// Grey 100 (the median; the mean is 137) but for a bright pel at (5, 5) and columns from 30.
Image flatWithSpot(const xcPelRect& win) {
    return makeImage(win, [](long x, long y) { return (x == 5 && y == 5) || x >= 30 ? 250 : 100; });
}
xcAffineSamplingParams axisParams(double x0, double y0, double w, double h) {
    return xcAffineSamplingParams(xcAffineRectangle(xcRect(x0, y0, w, h)), short(w), short(h),
                                  kBilinear);
}
Image pattern(const xcPelRect& win) {
    return makeImage(win,
                     [](long x, long y) { return int((x * 7 + y * 13 + (x * y) % 11) % 256); });
}

} // namespace

TEST(AffineTransformWithClipping, InsideOutsideMasksAndClientCoordinates) {
    // Inside: sampled directly, no mask made.
    const Image src = pattern(xcPelRect(0, 0, 60, 50));
    const xcAffineSamplingParams turned(
        xcAffineRectangle(xcVector<2>(15, 12), 25, 20, xcRadian(0.35), xcRadian(0)), 30, 24,
        kBilinear);
    Image dst, dstMask, plain;
    xfAffineTransformWithClipping(src, kNone, turned, dst, dstMask);
    xfAffineTransformImage(src, turned, plain);
    EXPECT_TRUE(xfPelEqual(dst, plain));
    EXPECT_FALSE(dstMask.isBound());

    // x = -20 .. 20 of a 40 x 30 image: the left half is the median (100) with mask 0, the right
    // half the image with mask 255; one output pel per image pel, so there is no transition.
    Image half, halfMask;
    xfAffineTransformWithClipping(flatWithSpot(xcPelRect(0, 0, 40, 30)), kNone,
                                  axisParams(-20, 0, 40, 30), half, halfMask);
    EXPECT_TRUE(xfPelEqual(half, makeImage(half.window(), [](long x, long y) {
                               return x == 25 && y == 5 ? 250 : 100;
                           })));
    EXPECT_TRUE(xfPelEqual(
        halfMask, makeImage(half.window(), [](long x, long) { return x < 20 ? 0 : 255; })));
    EXPECT_EQ(half.clientFromImage().mapPoint(xcVector<2>(0, 0)), xcVector<2>(-20, 0));

    // A given mask's values come through, padded with 0; the rectangle is in client coordinates
    // (client x = image x + 100).
    Image moved = flatWithSpot(xcPelRect(0, 0, 40, 30));
    moved.clientFromImageXform(xcXform<2>::translation(xcVector<2>(100, 0)));
    const Image mask = makeImage(moved.window(), [](long x, long) { return x < 5 ? 0 : 200; });
    Image out, outMask;
    xfAffineTransformWithClipping(moved, mask, axisParams(80, 0, 40, 30), out, outMask);
    EXPECT_EQ(pelAt(out, 25, 5), 250);
    EXPECT_EQ(
        std::vector<int>({pelAt(outMask, 19, 3), pelAt(outMask, 24, 3), pelAt(outMask, 25, 3)}),
        std::vector<int>({0, 0, 200}));
    // Entirely outside: all median, all padding.
    Image outside, outsideMask;
    xfAffineTransformWithClipping(moved, mask, axisParams(500, 300, 8, 6), outside, outsideMask);
    EXPECT_EQ(std::vector<int>({xfPelMin(outside), xfPelMax(outside), xfPelMax(outsideMask)}),
              std::vector<int>({100, 100, 0}));
    // A box beyond where pel buffers reach, or too large, is refused before it is rounded to pel
    // coordinates; one just within their reach samples the padding.
    const auto sampleAt = [&](double x, double y, double size) {
        Image d, m;
        xfAffineTransformWithClipping(
            moved, kNone,
            xcAffineSamplingParams(xcAffineRectangle(xcRect(x, y, size, size)), 4, 4, kBilinear), d,
            m);
        return xfPelMax(d);
    };
    const char* far = "The sampled region lies too far from the image.";
    expectBadParams([&] { sampleAt(1e19, 0, 4096); }, far);
    expectBadParams([&] { sampleAt(0, -1e13, 4); }, far);
    expectBadParams([&] { sampleAt(0, 0, 1e60); }, "The sampled region is too large.");
    EXPECT_EQ(sampleAt(1e12, 0, 4), 100);

    Image bound(xcPelRect(0, 0, 3, 3)), unbound;
    expectBadParams([&] { xfAffineTransformWithClipping(src, kNone, turned, bound, unbound); },
                    "The output image must be unbound.");
}

TEST(AffineTransform, IdentityScaleAndQuarterTurns) {
    // Angle 0 and scale 1 reproduce the window with a mask of 0, in the source's client frame.
    Image root = pattern(xcPelRect(0, 0, 80, 60));
    root.clientFromImageXform(xcXform<2>::translation(xcVector<2>(100, -7)));
    Image src = root;
    src.window(xcPelRect(10, 20, 31, 17));
    Image dst, dstMask;
    xf_AffineTransform(src, kNone, xcRadian(0.0), 1.0, dst, dstMask, kBilinear, kBilinear);
    ASSERT_EQ(dst.window(), xcPelRect(0, 0, 31, 17));
    EXPECT_TRUE(xfPelEqual(dst, src));
    EXPECT_EQ(xfPelMax(dstMask), 0);
    EXPECT_TRUE(
        xfRealEq(dst.clientFromImage().mapPoint(xcVector<2>(0, 0)), xcVector<2>(110, 13), 1e-9));

    // Scale 2: output pel (2i + 1, 2j + 1) samples a quarter pel right of and below the centre
    // of source pel (i, j).
    Image big;
    xf_AffineTransform(src, xcRadian(0.0), 2.0, big, kBilinear);
    ASSERT_EQ(big.window(), xcPelRect(0, 0, 62, 34));
    EXPECT_TRUE(
        xfRealEq(big.clientFromImage().mapPoint(xcVector<2>(62, 34)), xcVector<2>(141, 30), 1e-9));
    const auto s = [&](long x, long y) { return *src.pointToPel(x, y); };
    EXPECT_NEAR(pelAt(big, 9, 21),
                0.5625 * s(4, 10) + 0.1875 * s(5, 10) + 0.1875 * s(4, 11) + 0.0625 * s(5, 11), 1);

    // A flat window with nothing around it in its root: the edge pels interpolate with the
    // mirrored margin, so they stay flat.
    xf_AffineTransform(makeImage(xcPelRect(0, 0, 4, 4), [](long, long) { return 77; }),
                       xcRadian(0.0), 2.0, big, kBilinear);
    EXPECT_EQ(std::vector<int>({xfPelMin(big), xfPelMax(big)}), std::vector<int>({77, 77}));

    // 45 degrees of a 100 x 100 window: 141 x 141 pels; corners from outside (mask 255); a
    // bright pel keeps its client position.
    const Image spot = makeImage(xcPelRect(0, 0, 100, 100),
                                 [](long x, long y) { return x == 70 && y == 35 ? 255 : 40; });
    xf_AffineTransform(spot, kNone, xcRadian(std::numbers::pi / 4), 1.0, dst, dstMask, kBilinear,
                       kBilinear);
    ASSERT_EQ(dst.window(), xcPelRect(0, 0, 141, 141));
    EXPECT_EQ(pelAt(dstMask, 0, 0) + pelAt(dstMask, 140, 140) + pelAt(dstMask, 10, 10), 3 * 255);
    EXPECT_EQ(pelAt(dstMask, 70, 70), 0);
    const xcVector<2> at = dst.imageFromClient().mapPoint(xcVector<2>(70.5, 35.5));
    EXPECT_GT(pelAt(dst, long(at.x()), long(at.y())), 60);

    // An input mask from 128 up gives 255.
    const Image mask = makeImage(src.window(), [](long x, long) { return x < 25 ? 127 : 128; });
    xf_AffineTransform(src, mask, xcRadian(0.0), 1.0, dst, dstMask, kBilinear, kBilinear);
    for (long x = 0; x < 31; ++x) EXPECT_EQ(pelAt(dstMask, x, 7), x < 15 ? 0 : 255) << x;
}

TEST(AffineTransform, CallerErrors) {
    const Image src = pattern(xcPelRect(0, 0, 100, 100));
    Image dst(xcPelRect(0, 0, 2, 2));
    for (double scale : {0.0, -1.0, double(NAN), double(INFINITY)})
        EXPECT_THROW(xf_AffineTransform(src, xcRadian(0.0), scale, dst, kBilinear),
                     xcOCDefs::BadParams);
    // 0.4 pels is refused, 0.6 rounds to 1.
    expectBadParams([&] { xf_AffineTransform(src, xcRadian(0.0), 0.004, dst, kBilinear); },
                    "The output size must be between 0.5 and 32767 pels.");
    xf_AffineTransform(src, xcRadian(0.0), 0.006, dst, kBilinear);
    EXPECT_EQ(dst.window(), xcPelRect(0, 0, 1, 1));
}

// Inner rectangle (2, 1, 3, 2) of a 7 x 6 window, pels 11 12 13 / 21 22 23. Above: inner row 0;
// below, outwards: inner rows 1, 0, 0 (the farthest keep the last row used); left and right:
// the nearest inner columns first.
TEST(MirrorPad, RowsThenColumnsNearestFirst) {
    Image buf = makeImage(xcPelRect(10, 20, 7, 6), [](long x, long y) {
        return x >= 12 && x < 15 && y >= 21 && y < 23 ? 10 * (y - 20) + x - 11 : 0;
    });
    xf_OCMirrorPad(buf, xcPelRect(12, 21, 3, 2));
    const std::vector<int> r1{12, 11, 11, 12, 13, 13, 12}, r2{22, 21, 21, 22, 23, 23, 22};
    EXPECT_EQ(rowsOf(buf), (Rows{r1, r1, r2, r2, r1, r1}));

    Image one =
        makeImage(xcPelRect(0, 0, 5, 3), [](long x, long y) { return x == 2 && y == 1 ? 9 : 0; });
    xf_OCMirrorPad(one, xcPelRect(2, 1, 1, 1));
    EXPECT_EQ(rowsOf(one), Rows(3, std::vector<int>(5, 9)));
    EXPECT_THROW(xf_OCMirrorPad(one, xcPelRect(2, 1, 0, 1)), xcOCDefs::BadParams);
    EXPECT_THROW(xf_OCMirrorPad(one, xcPelRect(4, 1, 2, 1)), xcOCDefs::BadParams);
}

// The column 10 200 30 40 50 60 (n = 6, r = 1) by the running median: position 0 takes the upper
// middle of {10 200}, 1 the middle of {10 30 200}, ..., 5 the upper middle of {50 60}. Ten
// columns left of rect take the smoothed first column.
TEST(BackgroundPad, RunningMedianOfTheFirstColumn) {
    const std::vector<int> line{10, 200, 30, 40, 50, 60}, smoothed{200, 30, 40, 40, 50, 60};
    Image img = makeImage(xcPelRect(0, 0, 15, 6),
                          [&](long x, long y) { return x >= 10 ? line[y] + x - 10 : 0; });
    xf_OCBackgroundPadImage(img, xcPelRect(10, 0, 5, 6));
    EXPECT_TRUE(xfPelEqual(img, makeImage(img.window(), [&](long x, long y) {
                               return x >= 10 ? line[y] + x - 10 : smoothed[y];
                           })));
}

// R = (2, 1, 3, 2) in a 7 x 5 window. Top row 10 90 20 extends to 10 10 10 90 20 20 20 (r = 1)
// and smooths to 10 10 10 20 20 20 20; the bottom row 30 40 200 stays as extended. Columns
// (n = 2, r = 0) are copied unsmoothed.
TEST(BackgroundPad, AllFourSidesCornersAndErrors) {
    const Rows in{{0, 0, 10, 90, 20}, {0, 0, 30, 40, 200}};
    Image img = makeImage(xcPelRect(0, 0, 7, 5), [&](long x, long y) {
        return y >= 1 && y <= 2 && x < 5 ? in[y - 1][x] : 0;
    });
    xf_OCBackgroundPadImage(img, xcPelRect(2, 1, 3, 2));
    const std::vector<int> bottom{30, 30, 30, 40, 200, 200, 200};
    EXPECT_EQ(
        rowsOf(img),
        (Rows{{10, 10, 10, 20, 20, 20, 20}, {10, 10, 10, 90, 20, 20, 20}, bottom, bottom, bottom}));

    const auto before = rowsOf(img);
    expectBadParams([&] { xf_OCBackgroundPadImage(img, xcPelRect(1, 1, 7, 2)); },
                    "The rectangle must lie inside the image window.");
    xf_OCBackgroundPadImage(img, xcPelRect(2, 2, 0, 3)); // empty: nothing to continue
    EXPECT_EQ(rowsOf(img), before);
}

// Pels from the care value up are cared for. A filled care box unbinds the mask, one with a hole
// windows it; an unbound mask gives a null box, found.
TEST(BackgroundPad, MaskCareRegionAndPaddingWithAMask) {
    bool found = false;
    ConstImage filled = makeImage(xcPelRect(1, 1, 6, 6), [](long x, long y) {
        return x >= 3 && x < 5 && y >= 2 && y < 5 ? 100 + x : 99;
    });
    EXPECT_EQ(xf_OCWindowMaskCareRegion(filled, 103, found), xcPelRect(3, 2, 2, 3));
    EXPECT_TRUE(found && !filled.isBound());
    ConstImage unbound;
    EXPECT_EQ(xf_OCWindowMaskCareRegion(unbound, 128, found), xcPelRect());
    EXPECT_TRUE(found);

    // The mask cares for columns 3 .. 8 of rows 1 .. 4 but (5, 2); rect (1, 0, 6, 6) leaves the
    // box (3, 1, 4, 4). The mask is windowed to its care box and padded outside the box.
    Image img = makeImage(xcPelRect(0, 0, 10, 6), [](long x, long y) { return 10 * y + x; });
    Image mask = makeImage(img.window(), [](long x, long y) {
        return x >= 3 && x <= 8 && y >= 1 && y <= 4 && !(x == 5 && y == 2) ? 200 : 0;
    });
    xf_OCBackgroundPadImage(img, mask, 128, xcPelRect(1, 0, 6, 6), found);
    EXPECT_TRUE(found);
    ASSERT_EQ(mask.window(), xcPelRect(3, 1, 6, 4));
    EXPECT_EQ(std::vector<int>({pelAt(img, 4, 2), pelAt(img, 0, 2), pelAt(img, 9, 2)}),
              std::vector<int>({24, 23, 26}));
    EXPECT_EQ(pelAt(mask, 5, 2), 0); // the hole inside the box stays

    // No cared pel, or a care box that misses rect: the image is not padded.
    const Rows before = rowsOf(img);
    for (const long corner : {99L, 9L}) {
        Image m =
            makeImage(img.window(), [&](long x, long y) { return x + y >= corner ? 255 : 0; });
        xf_OCBackgroundPadImage(img, m, 128, xcPelRect(0, 0, 2, 2), found);
        EXPECT_EQ(found, corner == 9);
    }
    EXPECT_EQ(rowsOf(img), before);
}

// Blocks of 2 x 2 pels, dark and light in turn across and down. Against the middle of a 24 x 24
// sample (20 x 20), a shift by (dx, dy) correlates c(dx) c(dy), with c = -1, 0, 1, 0, -1 for the
// shifts -2 .. 2: the mean of the 25 absolute scores is 1000 x 3 x 3 / 25 = 360; signed, it would
// be 40, and a shift down ignored would give 600.
TEST(ScoreBlankness, BlocksFlatAndEmptyMiddles) {
    const Image img = makeImage(xcPelRect(0, 0, 40, 40), [](long x, long y) {
        return (x % 4 < 2) != (y % 4 < 2) ? 40 : 210;
    });
    const xcPelRect rect(4, 3, 24, 24);
    const auto score = [&](const ConstImage& imageMask, const xcPelRect& r,
                           const ConstImage& modelMask, const xcXform<2>& x = {}) {
        return xfScoreBlankness(img, imageMask, x, kNone, r, modelMask);
    };
    EXPECT_EQ(score(kNone, rect, kNone), 360.0);
    // xform moves the character's client coordinates into the image's.
    EXPECT_EQ(score(kNone, xcPelRect(0, 0, 24, 24), kNone, xcXform<2>::translation({4, 3})), 360.0);
    // A model mask of 255 changes nothing, also where the rect leaves the image and the sample's
    // own mask leaves out the padding.
    const Image all = makeImage(xcPelRect(-20, -20, 100, 100), [](long, long) { return 255; });
    EXPECT_EQ(score(kNone, rect, all), 360.0);
    const xcPelRect leaving(-10, 4, 40, 21);
    EXPECT_DOUBLE_EQ(score(kNone, leaving, all), score(kNone, leaving, kNone));

    // No middle or no cared pel in it scores 1: a model mask caring only for a frame 2 pels wide,
    // rects of width or height 4, a rect outside the image, an image mask ignoring everything.
    const Image frame = makeImage(img.window(), [&](long x, long y) {
        return rect.trim(2, 2, 2, 2, false).contains(x + 0.5, y + 0.5) ? 0 : 255;
    });
    const Image ignore = makeImage(img.window(), [](long, long) { return 0; });
    for (const double s :
         {score(kNone, rect, frame), score(kNone, xcPelRect(7, 4, 4, 21), kNone),
          score(kNone, xcPelRect(7, 4, 24, 4), kNone),
          score(kNone, xcPelRect(500, 500, 24, 21), kNone), score(ignore, rect, kNone)})
        EXPECT_EQ(s, 1.0);

    // A middle of two pels 2 apart has a variance of exactly 1.0: flat; 3 apart is not.
    for (int off : {130, 131}) {
        const Image flat = makeImage(xcPelRect(0, 0, 20, 20), [&](long x, long y) {
            return x == 13 && y == 12 ? off : 128;
        });
        const double s = xfScoreBlankness(flat, kNone, {}, kNone, xcPelRect(10, 10, 6, 5), kNone);
        EXPECT_TRUE(off == 130 ? s == 0.0 : s > 0.0) << off;
    }
    const Image small = makeImage(xcPelRect(0, 0, 10, 10), [](long, long) { return 255; });
    expectBadParams([&] { score(kNone, xcPelRect(5, 5, 20, 20), small); },
                    "The model mask must contain the rectangle.");
    EXPECT_THROW(score(kNone, xcPelRect(0, 0, 40000, 20), kNone), xcOCDefs::BadParams);
}

TEST(DetectMarkRect, PolaritiesBorderClientFrameRectAndMask) {
    // One black pel at (5, 7) of a white 20 x 16 image.
    Image img = makeImage(xcPelRect(0, 0, 20, 16),
                          [](long x, long y) { return x == 5 && y == 7 ? 0 : 255; });
    const auto detect = [](const ConstImage& i, xcOCDefs::Polarity p, const xcPelRect& r,
                           const ConstImage& mask = kNone, bool blank = false) {
        xcRect box(1, 2, 3, 4);
        const bool found = xf_DetectMarkRect_(i, r, mask, blank, p, box);
        return std::pair(found, box);
    };
    const xcPelRect all = img.window();
    EXPECT_EQ(detect(img, kDark, all), std::pair(true, xcRect(5, 7, 1, 1)));
    EXPECT_EQ(detect(img, xcOCDefs::eLightOnDark, all), std::pair(true, xcRect(0, 0, 20, 16)));
    EXPECT_EQ(detect(img, xcOCDefs::eUnknownPolarity, all), std::pair(true, xcRect(5, 7, 1, 1)));
    EXPECT_EQ(detect(img, kDark, all, kNone, true), std::pair(false, xcRect()));

    // Unknown polarity from the border: a light block on a dark ground reads light on dark; a
    // border half each side of the threshold, or a flat image, is undecided.
    const Image light = makeImage(xcPelRect(0, 0, 18, 16), [](long x, long y) {
        return x >= 6 && x <= 11 && y >= 3 && y <= 12 ? 220 : 30;
    });
    EXPECT_EQ(detect(light, xcOCDefs::eUnknownPolarity, light.window()),
              std::pair(true, xcRect(6, 3, 6, 10)));
    const Image split =
        makeImage(xcPelRect(0, 0, 4, 4), [](long x, long) { return x < 2 ? 0 : 255; });
    const Image flat = makeImage(xcPelRect(0, 0, 5, 5), [](long, long) { return 77; });
    for (const Image& i : {split, flat})
        EXPECT_EQ(detect(i, xcOCDefs::eUnknownPolarity, i.window()), std::pair(false, xcRect()));
    // A flat part's threshold is its grey: light on dark, every pel is mark.
    EXPECT_EQ(detect(flat, xcOCDefs::eLightOnDark, flat.window()),
              std::pair(true, xcRect(0, 0, 5, 5)));

    // rect selects part of the window; the mask, paired by image position and covering
    // (8, 2) .. (25, 17), ignores (12, 9).
    const Image three = makeImage(xcPelRect(0, 0, 30, 20), [](long x, long y) {
        return (x == 4 && y == 4) || (x == 12 && y == 9) || (x == 20 && y == 15) ? 0 : 255;
    });
    const Image mask = makeImage(xcPelRect(8, 2, 18, 16),
                                 [](long x, long y) { return x == 12 && y == 9 ? 127 : 128; });
    EXPECT_EQ(detect(three, kDark, xcPelRect(10, 5, 15, 8)).second, xcRect(12, 9, 1, 1));
    EXPECT_EQ(detect(three, kDark, three.window()).second, xcRect(4, 4, 17, 12));
    EXPECT_EQ(detect(three, kDark, three.window(), mask).second, xcRect(20, 15, 1, 1));

    // Client coordinates: 2 * image + (100, 50); a mirror still gives a positive size.
    img.clientFromImageXform(xcXform<2>(xcMatrix<2>(2, 0, 0, 2), xcVector<2>(100, 50)));
    EXPECT_EQ(detect(img, kDark, all).second, xcRect(110, 64, 2, 2));
    img.clientFromImageXform(xcXform<2>(xcMatrix<2>(-1, 0, 0, 1), xcVector<2>(0, 0)));
    EXPECT_EQ(detect(img, kDark, all).second, xcRect(-6, 7, 1, 1));

    expectBadParams([&] { detect(img, xcOCDefs::Polarity(3), all); }, "Illegal polarity");
}

TEST(MarkOrigins, CentreLowerLeftDetectedAndSpecifiedMarks) {
    Image img = makeImage(xcPelRect(0, 0, 20, 16),
                          [](long x, long y) { return x == 5 && y == 7 ? 0 : 255; });
    img.clientFromImageXform(xcXform<2>::translation(xcVector<2>(100, 50)));
    const xcPelRect part(2, 3, 5, 4), all = img.window();
    xcVector<2> o;
    EXPECT_TRUE(xf_computeOriginImageCenter_(img, part, kNone, o));
    EXPECT_EQ(o, xcVector<2>(104.5, 55));
    EXPECT_TRUE(xf_computeOriginImageLowerLeft_(img, part, kNone, o));
    EXPECT_EQ(o, xcVector<2>(102, 57));

    // A given mark's lower left (client coordinates already), the image's for a degenerate one,
    // else the detected mark's: pel (5, 7) at client (105, 57) has its lower left at (105, 58).
    // A specified mark wins; without one a detected mark gives the origin, but false.
    using Origin = std::pair<bool, xcVector<2>>;
    const auto detected = [&](bool has, const xcRect& mark) {
        const bool ok =
            xf_computeOriginDetectedMarkLowerLeft_(img, all, kNone, false, has, mark, kDark, o);
        return Origin(ok, o);
    };
    const auto specified = [&](bool has, const xcRect& mark) {
        const bool ok = xf_computeOriginSpecifiedMarkLowerLeft_(img, all, kNone, false, has, mark,
                                                                !has, xcRect(3, 3, 2, 2), kDark, o);
        return Origin(ok, o);
    };
    EXPECT_EQ(detected(true, xcRect(1, 2, 3, 4)), Origin(true, {1, 6}));
    EXPECT_EQ(detected(true, xcRect(1, 2, 0, 4)), Origin(false, {100, 66}));
    EXPECT_EQ(detected(false, xcRect()), Origin(true, {105, 58}));
    EXPECT_EQ(specified(true, xcRect(2, 2, 4, 4)), Origin(true, {2, 6}));
    EXPECT_EQ(specified(false, xcRect()), Origin(false, {3, 5}));
}
