#include "core/image/pel_errors.h"
#include "core/image/pel_ops.h"
#include "image_test_util.h"

#include <gtest/gtest.h>

using namespace image_test;

namespace {
// A w x 1 image holding the given values, in a wider root whose other pels are 250.
Image row(std::initializer_list<int> values) {
    Image img(long(values.size()) + 2, 1);
    xfPelSet(img, 250);
    img.window(xcPelRect(1, 0, long(values.size()), 1));
    long x = 0;
    for (int v : values) *img.pointToPel(x++, 0) = static_cast<unsigned char>(v);
    return img;
}
} // namespace

TEST(HistoStats, LowerMedianMeanAndExtremesOfTheWindow) {
    const xcHistoStats even = xfPelHistogram(row({9, 1, 200, 7}));
    EXPECT_EQ(even.count(250), 0u);
    EXPECT_EQ(even.median(), 7); // the lower of the two middle values
    EXPECT_DOUBLE_EQ(even.mean(), 217.0 / 4.0);
    EXPECT_EQ(even.min() + even.max(), 201);
    // 2 * cum(g) >= n first at g = 5 (cum 3 of 5); exactly half low gives the low value.
    EXPECT_EQ(xfPelHistogram(row({5, 0, 255, 5, 0})).median(), 5);
    EXPECT_EQ(xfPelHistogram(row({10, 10, 90, 90})).median(), 10);
    // Widths around the four-way unrolled count.
    for (auto values : {std::initializer_list<int>{3}, {1, 2, 3}, {1, 2, 3, 4, 5}})
        EXPECT_EQ(xfPelHistogram(row(values)).n(), values.size());
    EXPECT_THROW(xfPelHistogram(Image()), xcPel::UnboundWindow);
}

TEST(HistoStats, MaskCountsPelsFrom128UpWindowRelatively) {
    const Image img = row({10, 20, 30, 40, 50});
    Image mask = row({127, 128, 255, 0, 200});
    mask.offset(xcPelPoint(40, 40));
    const xcHistoStats h = xfPelHistogram(img, mask);
    EXPECT_EQ(h.n(), 3u);
    EXPECT_EQ(h.count(10) + h.count(40), 0u);
    EXPECT_EQ(h.median(), 30);
    mask.window(xcPelRect(40, 40, 4, 1));
    EXPECT_THROW(xfPelHistogram(img, mask), xcPel::SizeMismatch);
    EXPECT_THROW(xfPelHistogram(img, Image()), xcPel::UnboundWindow);
}
