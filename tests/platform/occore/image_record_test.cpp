#include "occore/xc_image.h"
#include "occore/xoc_failure.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Image = xcPelBuffer_const<unsigned char>;

unsigned char grey(long x, long y) {
    return static_cast<unsigned char>(3 * x + 7 * y);
}

TEST(ImageRecord, AssignedRecordKeepsItsPixelsAlone) {
    ximg_image8Const rec, second;
    ASSERT_EQ(ximg_imageConst_constructUnbound(&rec.base), XOC_OK);
    ximg_imageConst_constructUnbound(&second.base);
    const xcXform<2> cfi = xcXform<2>::translation(xcVector<2>(100, 0));
    {
        xcPelBuffer<unsigned char> buf(xcPelRect(10, 20, 7, 5));
        for (long y = 0; y < 5; ++y)
            for (long x = 0; x < 7; ++x) *buf.pointToPel(x, y) = grey(10 + x, 20 + y);
        buf.clientFromImageXform(cfi);
        buf.window(xcPelRect(11, 21, 3, 2));
        const xc_Image wrapper(buf);
        const ximg_imageConst& v = *wrapper.imageConst();
        EXPECT_EQ(std::vector<long>({v.x, v.y, v.width, v.height, v.rowUpdate, v.depth}),
                  std::vector<long>({11, 21, 3, 2, buf.rowUpdate(), 8}));
        EXPECT_EQ(v.pels, buf.pointToPel(0, 0));
        ASSERT_EQ(ximg_imageConst_assign(&rec.base, wrapper.imageConst()), XOC_OK);
    }
    // Buffer and wrapper are gone: the record's own reference keeps the pels (ASan checks).
    EXPECT_EQ(rec.base.pels[rec.base.rowUpdate + 2], grey(13, 22));
    const Image back = xfConvertImage(rec);
    EXPECT_EQ(back.window(), xcPelRect(11, 21, 3, 2));
    EXPECT_EQ(back.clientFromImage(), cfi);
    ASSERT_EQ(ximg_imageConst_assign(&second.base, &rec.base), XOC_OK);
    EXPECT_EQ(ximg_imageConst_assign(&second.base, &second.base), XOC_OK);
    ASSERT_EQ(ximg_imageConst_destruct(&rec.base), XOC_OK);
    EXPECT_EQ(second.base.pels[1], grey(12, 21));
    EXPECT_TRUE(xfConvertImage(second).sharesRoot(back));
    ASSERT_EQ(ximg_imageConst_assign(&second.base, &rec.base), XOC_OK); // now unbound
    EXPECT_EQ(second.base.pels, nullptr);
    EXPECT_EQ(ximg_imageConst_destruct(&second.base), XOC_OK);
    EXPECT_EQ(ximg_imageConst_assign(nullptr, &rec.base), XOC_FAIL_NULL_ARGUMENT);
}

TEST(ImageRecord, UnboundAndEmptyBuffers) {
    Image unbound; // its transforms travel with the record
    unbound.clientFromImageXform(xcXform<2>::translation(xcVector<2>(1, 2)));
    const xc_Image u(unbound);
    EXPECT_FALSE(xfConvertImage(*u.image8()).isBound());
    EXPECT_EQ(xfConvertImage(*u.image8()).clientFromImage(), unbound.clientFromImage());
    xcPelBuffer<unsigned char> buf(xcPelRect(0, 0, 4, 4));
    buf.window(xcPelRect(2, 2, 0, 0));
    const xc_Image empty(buf); // bound, but no pel to point at
    EXPECT_EQ(ximg_imageConst_isBound(empty.imageConst()), 1);
    EXPECT_EQ(empty.imageConst()->pels, nullptr);
    EXPECT_EQ(xfConvertImage(*empty.image8()).window(), xcPelRect(2, 2, 0, 0));
}

} // namespace
