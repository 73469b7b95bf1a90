// The run image cache: keyed on pel content, never stale.
#include "align_test_util.h"

#include <gtest/gtest.h>

namespace {

// Copies the window of src into dst pel by pel (same size).
void overwrite(xcPelBuffer<unsigned char>& dst, const xcPelBuffer_const<unsigned char>& src) {
    for (long y = 0; y < src.height(); ++y)
        for (long x = 0; x < src.width(); ++x) *dst.pointToPel(x, y) = *src.pointToPel(x, y);
}

} // namespace

// The same buffer searched again after its pels changed sees the new content.
TEST(AlignCache, ChangedPelsInTheSameBufferAreNotServedStale) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'4', 26.0);
    xcAlignPattern pat;
    pat.train(glyph.trainImage(), 3, nullptr, 0);
    oc_test::Scene a(160, 100), b(160, 100);
    const oc_test::Placement pa = a.place(glyph, 20.0, 1.0, xcVector<2>(40.3, 50.8));
    const oc_test::Placement pb = b.place(glyph, -70.0, 1.1, xcVector<2>(118.6, 47.2));
    xcPelBuffer<unsigned char> img = a.finish(0.7, 4.0, 1);
    const xcAlignRunParams params = align_test::searchParams(0.9, 1.2, 2);
    xcAlignResultSet rs;
    pat.run(img, params, rs, nullptr, 0);
    ASSERT_EQ(rs.numAccepted(), 1u);
    EXPECT_LT(align_test::centreError(rs[0].pose(), pa.pose, glyph.centre()), 0.2);

    overwrite(img, b.finish(0.7, 4.0, 2));
    pat.run(img, params, rs, nullptr, 0);
    ASSERT_EQ(rs.numAccepted(), 1u);
    EXPECT_LT(align_test::centreError(rs[0].pose(), pb.pose, glyph.centre()), 0.2);

    // A single pel changed is a different image too: the results are those of a fresh copy.
    *img.pointToPel(3, 3) = static_cast<unsigned char>(*img.pointToPel(3, 3) ^ 0x40);
    xcPelBuffer<unsigned char> copy(img.width(), img.height());
    overwrite(copy, img);
    xcAlignResultSet fromCopy;
    pat.run(copy, params, fromCopy, nullptr, 0);
    pat.run(img, params, rs, nullptr, 0);
    ASSERT_EQ(rs.size(), fromCopy.size());
    EXPECT_EQ(rs[0].pose(), fromCopy[0].pose());
    EXPECT_EQ(rs[0].score(), fromCopy[0].score());
}

// A changed mask with unchanged pels is a different search as well.
TEST(AlignCache, ChangedMaskIsNotServedStale) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'4', 26.0);
    xcAlignPattern pat;
    pat.train(glyph.trainImage(), 3, nullptr, 0);
    oc_test::Scene scene(100, 80);
    scene.place(glyph, 0.0, 1.0, xcVector<2>(50.5, 40.5));
    const xcPelBuffer<unsigned char> img = scene.finish(0.7, 4.0, 1);
    xcPelBuffer<unsigned char> mask(100, 80);
    for (long y = 0; y < 80; ++y)
        for (long x = 0; x < 100; ++x) *mask.pointToPel(x, y) = 0;
    const xcAlignRunParams params = align_test::searchParams(0.9, 1.2, 2);
    xcAlignResultSet rs;
    pat.run(img, mask, params, rs, nullptr, 0);
    EXPECT_EQ(rs.numAccepted(), 0u);
    for (long y = 0; y < 80; ++y)
        for (long x = 0; x < 100; ++x) *mask.pointToPel(x, y) = 255;
    pat.run(img, mask, params, rs, nullptr, 0);
    EXPECT_EQ(rs.numAccepted(), 1u);
}
