// Runs with a mask: pels below 128 are ignored, the mask pairs with the image window-relatively.
#include "align_test_util.h"

#include "align/align_defs.h"

#include <gtest/gtest.h>

namespace {

xcPelBuffer<unsigned char> maskOf(long w, long h, unsigned char v) {
    xcPelBuffer<unsigned char> m(w, h);
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x) *m.pointToPel(x, y) = v;
    return m;
}

void clearRect(xcPelBuffer<unsigned char>& m, long x0, long y0, long w, long h) {
    for (long y = y0; y < y0 + h; ++y)
        for (long x = x0; x < x0 + w; ++x) *m.pointToPel(x, y) = 127;
}

} // namespace

TEST(AlignMask, MaskedInstancesAreIgnoredAndPartlyMaskedOnesStillMatch) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'S', 26.0);
    xcAlignPattern pat;
    pat.train(glyph.trainImage(), 3, nullptr, 0);
    // A larger buffer whose window holds the scene at (20, 10); the mask is its own buffer of
    // the window's size.
    oc_test::Scene scene(200, 80);
    scene.place(glyph, 10.0, 1.0, xcVector<2>(50.3, 40.2));
    scene.place(glyph, -25.0, 1.0, xcVector<2>(150.8, 39.6));
    const xcPelBuffer<unsigned char> pels = scene.finish(0.7, 4.0, 8);
    xcPelBuffer<unsigned char> big(240, 100);
    for (long y = 0; y < 100; ++y)
        for (long x = 0; x < 240; ++x) *big.pointToPel(x, y) = 200;
    for (long y = 0; y < 80; ++y)
        for (long x = 0; x < 200; ++x) *big.pointToPel(x + 20, y + 10) = *pels.pointToPel(x, y);
    big.window(xcPelRect(20, 10, 200, 80));

    const xcAlignRunParams params = align_test::searchParams(0.9, 1.1, 3);
    xcAlignResultSet rs;
    pat.run(big, maskOf(200, 80, 128), params, rs, nullptr, 0);
    EXPECT_EQ(rs.numAccepted(), 2u);

    // The right instance masked away entirely: only the left one is found.
    xcPelBuffer<unsigned char> mask = maskOf(200, 80, 255);
    clearRect(mask, 120, 0, 80, 80);
    pat.run(big, mask, params, rs, nullptr, 0);
    ASSERT_EQ(rs.numAccepted(), 1u);
    // Poses are in the buffer's image (= client) coordinates: the window offset counts.
    const xcXform<2> truth = scene.placements()[0].pose;
    const xcXform<2> shifted = xcXform<2>::translation(xcVector<2>(20, 10)) * truth;
    EXPECT_LT(align_test::centreError(rs[0].pose(), shifted, glyph.centre()), 0.2);

    // The left half of the left instance masked: what remains still matches well.
    clearRect(mask, 0, 0, 50, 80);
    pat.run(big, mask, params, rs, nullptr, 0);
    ASSERT_EQ(rs.numAccepted(), 1u);
    EXPECT_GT(rs[0].score(), 0.8);
    EXPECT_LT(align_test::centreError(rs[0].pose(), shifted, glyph.centre()), 0.3);
}

TEST(AlignMask, MaskOfAnotherSizeOrUnboundIsRefused) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'S', 26.0);
    xcAlignPattern pat;
    pat.train(glyph.trainImage(), 3, nullptr, 0);
    const xcPelBuffer<unsigned char> img = glyph.trainImage();
    xcAlignResultSet rs;
    EXPECT_THROW(pat.run(img, maskOf(img.width() + 1, img.height(), 255), xcAlignRunParams(), rs,
                         nullptr, 0),
                 xc_AlignDefs::BadParams);
    EXPECT_THROW(
        pat.run(img, xcPelBuffer_const<unsigned char>(), xcAlignRunParams(), rs, nullptr, 0),
        xc_AlignDefs::BadParams);
}
