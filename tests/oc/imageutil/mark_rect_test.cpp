#include "oc/imageutil/mark_rect.h"

#include "test_images.h"

#include <gtest/gtest.h>

using namespace imageutil_test;

namespace {

constexpr auto kDark = xcOCDefs::eDarkOnLight;
constexpr auto kLight = xcOCDefs::eLightOnDark;
constexpr auto kUnknown = xcOCDefs::eUnknownPolarity;

// White 20 x 16 region with one black pel at column 5, row 7.
Image onePel() {
    return makeImage(xcPelRect(0, 0, 20, 16),
                     [](long x, long y) { return x == 5 && y == 7 ? 0 : 255; });
}

// A dark letter-like block (columns 6 .. 11, rows 3 .. 12 without its middle) on a light ground.
Image darkBlock(const xcPelRect& win) {
    return makeImage(win, [](long x, long y) {
        const bool block = x >= 6 && x <= 11 && y >= 3 && y <= 12;
        const bool hole = x >= 8 && x <= 9 && y >= 5 && y <= 10;
        return block && !hole ? 30 : 220;
    });
}

} // namespace

// Light on dark makes every white pel mark; unknown takes the light border as background; a
// blank character gives false at once.
TEST(DetectMarkRect, OneBlackPelAndBothPolarities) {
    const Image img = onePel();
    const auto detect = [&](bool blank, xcOCDefs::Polarity p) {
        xcRect box(1, 2, 3, 4);
        const bool found = xf_DetectMarkRect_(img, img.window(), ConstImage(), blank, p, box);
        return std::pair(found, box);
    };
    EXPECT_EQ(detect(false, kDark), std::pair(true, xcRect(5, 7, 1, 1)));
    EXPECT_EQ(detect(false, kLight), std::pair(true, xcRect(0, 0, 20, 16)));
    EXPECT_EQ(detect(false, kUnknown), std::pair(true, xcRect(5, 7, 1, 1)));
    EXPECT_EQ(detect(true, kDark), std::pair(false, xcRect()));
}

TEST(DetectMarkRect, UnknownPolarityFollowsTheBorder) {
    const Image dark = darkBlock(xcPelRect(0, 0, 18, 16));
    xcRect withDark, withUnknown;
    EXPECT_TRUE(xf_DetectMarkRect_(dark, dark.window(), ConstImage(), false, kDark, withDark));
    EXPECT_EQ(withDark, xcRect(6, 3, 6, 10));
    EXPECT_TRUE(
        xf_DetectMarkRect_(dark, dark.window(), ConstImage(), false, kUnknown, withUnknown));
    EXPECT_EQ(withUnknown, withDark);

    // The inverse image: a light block on a dark ground reads as light on dark.
    const Image light =
        makeImage(dark.window(), [&](long x, long y) { return 250 - pelAt(dark, x, y); });
    EXPECT_TRUE(
        xf_DetectMarkRect_(light, light.window(), ConstImage(), false, kUnknown, withUnknown));
    EXPECT_EQ(withUnknown, xcRect(6, 3, 6, 10));

    // Left half 0, right half 255: the border has 8 pels on each side of T = 128.
    const Image split =
        makeImage(xcPelRect(0, 0, 4, 4), [](long x, long) { return x < 2 ? 0 : 255; });
    xcRect box(1, 1, 1, 1);
    EXPECT_FALSE(xf_DetectMarkRect_(split, split.window(), ConstImage(), false, kUnknown, box));
    EXPECT_EQ(box, xcRect());
    // A uniform region scores 0, so the polarity stays unknown.
    const Image flat = makeImage(xcPelRect(0, 0, 5, 5), [](long, long) { return 77; });
    EXPECT_FALSE(xf_DetectMarkRect_(flat, flat.window(), ConstImage(), false, kUnknown, box));
}

// The box is in client coordinates: client = 2 * image + (100, 50) maps pel (5, 7) to
// [110, 112] x [64, 66]. A mirrored transform still gives the upper-left corner and a positive
// size.
TEST(DetectMarkRect, BoxInClientCoordinates) {
    Image img = onePel();
    img.clientFromImageXform(xcXform<2>(xcMatrix<2>(2, 0, 0, 2), xcVector<2>(100, 50)));
    xcRect box;
    EXPECT_TRUE(xf_DetectMarkRect_(img, img.window(), ConstImage(), false, kDark, box));
    EXPECT_EQ(box, xcRect(110, 64, 2, 2));

    img.clientFromImageXform(xcXform<2>(xcMatrix<2>(-1, 0, 0, 1), xcVector<2>(0, 0)));
    EXPECT_TRUE(xf_DetectMarkRect_(img, img.window(), ConstImage(), false, kDark, box));
    EXPECT_EQ(box, xcRect(-6, 7, 1, 1));
}

// rect selects part of the window, and the mask (paired by image coordinates, clipped to rect)
// removes pels: only the pels at 128 or more count.
TEST(DetectMarkRect, RectAndMaskSelectThePels) {
    const Image img = makeImage(xcPelRect(0, 0, 30, 20), [](long x, long y) {
        return (x == 4 && y == 4) || (x == 12 && y == 9) || (x == 20 && y == 15) ? 0 : 255;
    });
    xcRect box;
    EXPECT_TRUE(xf_DetectMarkRect_(img, xcPelRect(10, 5, 15, 8), ConstImage(), false, kDark, box));
    EXPECT_EQ(box, xcRect(12, 9, 1, 1));
    EXPECT_TRUE(xf_DetectMarkRect_(img, img.window(), ConstImage(), false, kDark, box));
    EXPECT_EQ(box, xcRect(4, 4, 17, 12));

    // The mask covers (8, 2) .. (25, 17) and ignores (12, 9): only (20, 15) is left.
    const Image mask = makeImage(xcPelRect(8, 2, 18, 16),
                                 [](long x, long y) { return x == 12 && y == 9 ? 127 : 128; });
    EXPECT_TRUE(xf_DetectMarkRect_(img, img.window(), mask, false, kDark, box));
    EXPECT_EQ(box, xcRect(20, 15, 1, 1));
}

TEST(DetectMarkRect, CallerErrors) {
    const Image img = onePel();
    xcRect box(1, 1, 1, 1);
    const auto three = xcOCDefs::Polarity(3);
    expectBadParams([&] { xf_DetectMarkRect_(img, img.window(), ConstImage(), false, three, box); },
                    "Illegal polarity");
}

TEST(MarkOrigins, ImageCentreImageLowerLeftAndDetectedMarkLowerLeft) {
    Image img = onePel();
    img.clientFromImageXform(xcXform<2>::translation(xcVector<2>(100, 50)));
    xcVector<2> o;
    EXPECT_TRUE(xf_computeOriginImageCenter_(img, xcPelRect(2, 3, 5, 4), ConstImage(), o));
    EXPECT_EQ(o, xcVector<2>(104.5, 55));
    EXPECT_TRUE(xf_computeOriginImageLowerLeft_(img, xcPelRect(2, 3, 5, 4), ConstImage(), o));
    EXPECT_EQ(o, xcVector<2>(102, 57));

    const xcPelRect rect = img.window();
    const xcVector<2> imageLl(100, 66);
    // A given mark: its lower-left corner (already client coordinates), or the image lower left
    // when it is degenerate.
    EXPECT_TRUE(xf_computeOriginDetectedMarkLowerLeft_(img, rect, ConstImage(), false, true,
                                                       xcRect(1, 2, 3, 4), kDark, o));
    EXPECT_EQ(o, xcVector<2>(1, 6));
    EXPECT_FALSE(xf_computeOriginDetectedMarkLowerLeft_(img, rect, ConstImage(), false, true,
                                                        xcRect(1, 2, 0, 4), kDark, o));
    EXPECT_EQ(o, imageLl);
    // Detected: the black pel's box (105, 57, 1, 1) has its lower left at (105, 58).
    EXPECT_TRUE(xf_computeOriginDetectedMarkLowerLeft_(img, rect, ConstImage(), false, false,
                                                       xcRect(), kDark, o));
    EXPECT_EQ(o, xcVector<2>(105, 58));
}

TEST(MarkOrigins, SpecifiedMarkLowerLeft) {
    const Image img = onePel();
    const xcPelRect rect = img.window();
    xcVector<2> o;
    EXPECT_TRUE(xf_computeOriginSpecifiedMarkLowerLeft_(
        img, rect, ConstImage(), false, true, xcRect(2, 2, 4, 4), false, xcRect(), kDark, o));
    EXPECT_EQ(o, xcVector<2>(2, 6));
    // Without a specified mark, a usable detected mark gives the origin, but the result is false.
    EXPECT_FALSE(xf_computeOriginSpecifiedMarkLowerLeft_(
        img, rect, ConstImage(), false, false, xcRect(), true, xcRect(3, 3, 2, 2), kDark, o));
    EXPECT_EQ(o, xcVector<2>(3, 5));
}
