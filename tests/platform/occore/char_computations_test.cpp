#include "occore/xc_image.h"
#include "occore/xoc_char.h"
#include "occore/xoc_failure.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace {

using Image = xcPelBuffer_const<unsigned char>;

// 10 x 8 at (0, 0): grey 40 with a 3 x 2 block of grey 200 at (4, 3).
xcPelBuffer<unsigned char> blockImage() {
    xcPelBuffer<unsigned char> b(xcPelRect(0, 0, 10, 8));
    for (long y = 0; y < 8; ++y)
        for (long x = 0; x < 10; ++x)
            *b.pointToPel(x, y) = (x >= 4 && x < 7 && y >= 3 && y < 5) ? 200 : 40;
    return b;
}

struct Record {
    Record() {
        xoc_char_construct(&rec);
        ximg_imageConst_constructUnbound(&out.base);
    }
    ~Record() {
        xoc_char_destruct(&rec);
        ximg_imageConst_destruct(&out.base);
    }
    int32_t setNormalized(const Image& src, int32_t has, int32_t t, int32_t inv,
                          const xoc_rect32* rootCopyRect = nullptr) {
        const xc_Image wrapper(src);
        return xoc_char_setNormalizedImageThresholdAndInvert8(&rec, wrapper.image8(), has, t, inv,
                                                              rootCopyRect);
    }
    int32_t cut() { return xoc_char_getBinarizedImageMarkRect8(&rec, &out); }
    Image result() const { return xfConvertImage(out); }
    xoc_char rec;
    ximg_image8Const out;
};

TEST(CharComputations, SetNormalizedImage) {
    Record r;
    xcPelBuffer<unsigned char> src = blockImage();
    src.window(xcPelRect(3, 2, 5, 4));
    const xoc_rect32 bad{4, 2, 5, 4}, copyRect{2, 1, 20, 20};
    for (int32_t t : {-1, 257}) EXPECT_EQ(r.setNormalized(src, 1, t, 0), XOC_FAIL_BAD_THRESHOLD);
    EXPECT_EQ(r.setNormalized(src, 1, 128, 0, &bad), XOC_FAIL_BAD_RECT);
    EXPECT_EQ(ximg_imageConst_isBound(&r.rec.normalizedImage.base), 0); // failures change nothing

    ASSERT_EQ(r.setNormalized(src, 1, 128, 1, &copyRect), XOC_OK);
    EXPECT_EQ(r.rec.hasThresholdAndInvert + r.rec.invert + r.rec.binarizedImageCached, 3);
    // The detected mark's client rectangle goes, its image rectangle stays.
    EXPECT_EQ(r.rec.metrics.specifiedRects, 60u - XOC_DETECTED_MARK_RECT);
    Image normalized = xfConvertImage(r.rec.normalizedImage);
    EXPECT_EQ(normalized.window(), xcPelRect(3, 2, 5, 4));
    EXPECT_FALSE(normalized.sharesRoot(src));
    normalized.setEntire(); // root copy: the part of the root inside the rectangle
    EXPECT_EQ(normalized.window(), xcPelRect(2, 1, 8, 7));
    const Image bin = xfConvertImage(r.rec.binarizedImage); // inverted: 200 -> 0, 40 -> 255
    EXPECT_EQ(*bin.pointToPel(0, 0), 255);
    EXPECT_EQ(*bin.pointToPel(1, 1), 0);
    ASSERT_EQ(r.setNormalized(src, 0, 128, 0), XOC_OK); // no threshold: no binarized image
    EXPECT_EQ(ximg_imageConst_isBound(&r.rec.binarizedImage.base), 0);
}

TEST(CharComputations, MarkRectFailuresComeInOrder) {
    Record r;
    r.rec.metrics.specifiedRects = XOC_CELL_RECT | XOC_CELL_RECT_IMAGE;
    EXPECT_EQ(r.cut(), XOC_FAIL_NO_THRESHOLD_AND_INVERT);
    r.rec.hasThresholdAndInvert = 1;
    EXPECT_EQ(r.cut(), XOC_FAIL_RECT_NOT_SPECIFIED);
    r.rec.metrics.specifiedRects = XOC_MARK_RECT;
    ASSERT_EQ(r.cut(), XOC_OK); // unbound normalized image: unbound result
    EXPECT_FALSE(r.result().isBound());
    ASSERT_EQ(r.setNormalized(blockImage(), 0, 100, 0), XOC_OK);
    r.rec.hasThresholdAndInvert = 1;
    r.rec.threshold = 300;
    EXPECT_EQ(r.cut(), XOC_FAIL_BAD_THRESHOLD);
    r.rec.threshold = 100;
    r.rec.metrics.markRect = xoc_rectD{0, 0, 3e9, 1};
    EXPECT_EQ(r.cut(), XOC_FAIL_INTEGER_OVERFLOW);
    xcPelBuffer<unsigned char> curved = blockImage();
    curved.imageFromClientXform(std::make_shared<xc2XformPoly2>(
        xcXform<2>(), std::array<double, 3>{1e-3, 0, 0}, std::array<double, 3>{0, 0, 0}));
    ASSERT_EQ(r.setNormalized(curved, 1, 128, 0), XOC_OK);
    EXPECT_EQ(r.cut(), XOC_FAIL_NOT_LINEAR);
}

TEST(CharComputations, MarkRectChoiceAndCut) {
    Record r;
    xcPelBuffer<unsigned char> src = blockImage();
    src.imageFromClientXform(xcXform<2>(xcMatrix<2>(2, 0, 0, 2), xcVector<2>())); // client x 2
    ASSERT_EQ(r.setNormalized(src, 1, 128, 0), XOC_OK);
    xoc_charMetrics& m = r.rec.metrics;
    m.specifiedRects = XOC_DETECTED_MARK_RECT;
    m.detectedMarkRect = xoc_rectD{2, 1.5, 1.5, 1}; // pels (4, 3) to (7, 5): the block
    ASSERT_EQ(r.cut(), XOC_OK);
    EXPECT_EQ(r.result().window(), xcPelRect(4, 3, 3, 2));
    for (long y = 0; y < 2; ++y)
        for (long x = 0; x < 3; ++x) EXPECT_EQ(*r.result().pointToPel(x, y), 255);
    // Order: mark image, detected mark image, mark, detected mark.
    m.specifiedRects |= XOC_MARK_RECT;
    m.markRect = xoc_rectD{0, 0, 1, 1};
    ASSERT_EQ(r.cut(), XOC_OK);
    EXPECT_EQ(r.result().window(), xcPelRect(0, 0, 2, 2));
    m.specifiedRects |= XOC_DETECTED_MARK_RECT_IMAGE;
    m.detectedMarkRectImage = xoc_rect32{5 << 16, 6 << 16, 1 << 16, 1 << 16};
    ASSERT_EQ(r.cut(), XOC_OK);
    EXPECT_EQ(r.result().window(), xcPelRect(5, 6, 1, 1));
    m.specifiedRects |= XOC_MARK_RECT_IMAGE;
    m.markRectImage = xoc_rect32{(8 << 16) + 1, 0, 5 << 16, 3 << 16}; // enclosed, then clipped
    ASSERT_EQ(r.cut(), XOC_OK);
    EXPECT_EQ(r.result().window(), xcPelRect(8, 0, 2, 3));
    // A valid cache is cut as it is; without one the normalized image is thresholded anew.
    r.rec.threshold = 0;
    m.markRectImage = xoc_rect32{4 << 16, 3 << 16, 1 << 16, 1 << 16};
    ASSERT_EQ(r.cut(), XOC_OK);
    EXPECT_EQ(*r.result().pointToPel(0, 0), 255);
    r.rec.binarizedImageCached = 0;
    r.rec.invert = 1;
    ASSERT_EQ(r.cut(), XOC_OK);
    EXPECT_EQ(*r.result().pointToPel(0, 0), 0);
}

} // namespace
