#include "core/geom/geom_errors.h"
#include "core/image/pel_errors.h"
#include "image_test_util.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

using namespace image_test;

namespace {
const xcXform<2> kShiftScale(xcMatrix<2>(2.0, 0.0, 0.0, 3.0), xcVector<2>(5.0, -1.0));
}

TEST(PelBuffer, UnboundThrowsOnWindowsKeepsTransformsBadSizesRefusedBeforeAllocating) {
    Image c(4, 4);
    c.imageFromClientXform(kShiftScale);
    c.setUnbound();
    const auto e = caught<xcPel::UnboundWindow>([&] { c.window(); });
    EXPECT_EQ(e.errorNumber(), 0x10000301);
    EXPECT_EQ(e.message(), "Pel buffer is unbound");
    EXPECT_TRUE(xfRealEq(Image(c).clientFromImage(), kShiftScale.inverse(), 1e-15));

    const Image b(xcPelRect(-4, 7, 10, 2), 32);
    EXPECT_EQ(b.rowUpdate(), 32);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(b.pointToPel(0, 1)) % 32, 0u);
    // Rows of shorts are padded in bytes: 5 shorts = 10 bytes -> 16 bytes = 8 shorts.
    EXPECT_EQ(xcPelBuffer<short>(xcPelRect(0, 0, 5, 2), 16).rowUpdate(), 8);
    EXPECT_THROW(Image(-1, 5), xcPel::BadWindow);
    // 2^31 + 2^15 pels: refused by the size limit, not by a failed allocation.
    EXPECT_THROW(Image(65537, 32768), xcPel::BadWindow);
    for (long alignment : {0L, 24L, 8192L})
        EXPECT_THROW(Image(xcPelRect(0, 0, 4, 4), alignment), xcPel::BadParams);
}

TEST(PelBuffer, WindowsSharePixelsButEachHandleKeepsItsOwnWindowAndTransforms) {
    Image root = marked(xcPelRect(10, 20, 8, 6));
    root.clientFromImageXform(kShiftScale);
    Image view = root;
    view.window(xcPelRect(12, 23, 3, 2));
    EXPECT_EQ(*view.rowPointer(1), marker(12, 24));
    *view.pointToPel(1, 1) = 222;
    EXPECT_EQ(*root.pointToPel(3, 4), 222);
    view.clientFromImageXform(xcXform<2>());
    EXPECT_EQ(root.clientFromImage(), kShiftScale);
    // The root lives as long as any handle on it.
    const xcPelBuffer_const<unsigned char> ro = root;
    root = Image();
    view = Image();
    EXPECT_EQ(*ro.pointToPel(3, 4), 222);
}

TEST(PelBuffer, WindowMustLieInTheCurrentWindowUnlessClipped) {
    Image b = marked(xcPelRect(0, 0, 10, 10));
    b.window(xcPelRect(2, 2, 5, 5));
    for (const xcPelRect& r : {xcPelRect(1, 2, 3, 3), xcPelRect(3, 3, 5, 1), xcPelRect(3, 3, -1, 1),
                               xcPelRect(3, 3, LONG_MAX, 1), xcPelRect(LONG_MAX, 3, 1, 1)})
        EXPECT_THROW(b.window(r), xcPel::BadWindow);
    EXPECT_EQ(b.window(), xcPelRect(2, 2, 5, 5));
    // Empty windows inside are allowed, also on the far edge; clipping takes the intersection,
    // or an empty window at the nearest edge.
    const struct {
        xcPelRect asked, got;
        bool clip;
    } cases[] = {{xcPelRect(10, 10, 0, 0), xcPelRect(10, 10, 0, 0), false},
                 {xcPelRect(-5, 3, 8, 100), xcPelRect(0, 3, 3, 7), true},
                 {xcPelRect(20, -9, 4, 4), xcPelRect(10, 0, 0, 0), true},
                 {xcPelRect(LONG_MIN / 2, 2, LONG_MAX, 1), xcPelRect(0, 2, 10, 1), true}};
    for (const auto& k : cases) {
        b.setEntire();
        b.window(k.asked, k.clip);
        EXPECT_EQ(b.window(), k.got);
    }
}

TEST(PelBuffer, OffsetRelabelsImageCoordinatesAndLeavesTransforms) {
    Image b = marked(xcPelRect(0, 0, 8, 8));
    b.clientFromImageXform(kShiftScale);
    const Image other = b;
    b.window(xcPelRect(2, 3, 4, 4));
    b.offset(xcPelPoint(100, 200));
    EXPECT_EQ(b.rootWindow(), xcPelRect(2, 3, 4, 4));
    EXPECT_EQ(b.clientFromImage(), kShiftScale);
    b.window(xcPelRect(101, 201, 2, 2));
    EXPECT_EQ(*b.pointToPel(0, 0), marker(3, 4));
    b.setEntire();
    EXPECT_EQ(b.window(), xcPelRect(98, 197, 8, 8));
    EXPECT_EQ(other.window(), xcPelRect(0, 0, 8, 8));
    EXPECT_THROW(b.offset(xcPelPoint(1L << 41, 0)), xcPel::BadWindow);
}

TEST(PelBuffer, TransformSettersKeepThePairInverseAndCheckFirst) {
    Image b(3, 3);
    b.clientFromImageXform(kShiftScale);
    const xcVector<2> p(1.25, -7.5);
    EXPECT_TRUE(xfRealEq(b.imageFromClient().mapPoint(b.clientFromImage().mapPoint(p)), p, 1e-12));
    const xcXform<2> singular(xcMatrix<2>(1.0, 2.0, 2.0, 4.0), xcVector<2>());
    EXPECT_THROW(b.clientFromImageXform(singular), xcGeomDefs::Singular);
    EXPECT_EQ(b.clientFromImage(), kShiftScale);

    const xcXformHandle poly = std::make_shared<xc2XformPoly2>(
        xcXform<2>(), std::array<double, 3>{1e-3, 0, 0}, std::array<double, 3>{0, 0, 0});
    b.imageFromClientXform(poly);
    EXPECT_THROW(b.clientFromImage(), xcGeomDefs::BadParams);
    const xcVector<2> q(3.0, 4.0);
    EXPECT_TRUE(xfRealEq(b.clientFromImageXform()->mapPoint(poly->mapPoint(q)), q, 1e-9));
}

TEST(PelBuffer, ForeignPelsAreSharedWithoutCopyingAndTheKeeperLivesAsLongAsTheRoot) {
    // A 3 x 2 image inside rows of 5 bytes, its first pel at column 1.
    unsigned char pels[] = {0, 1, 2, 3, 0, 0, 4, 5, 6, 0};
    auto keeper = std::make_shared<int>(0);
    std::weak_ptr<int> watch = keeper;
    {
        xcPelBuffer_const<unsigned char> b(xcPelRect(7, 9, 3, 2), pels + 1, 5, std::move(keeper));
        xcPelBuffer_const<unsigned char> w = b;
        w.window(xcPelRect(8, 10, 2, 1));
        EXPECT_EQ(*w.pointToPel(1, 0), 6);
        pels[8] = 60;
        EXPECT_EQ(*w.pointToPel(1, 0), 60);
        EXPECT_EQ(*b.pointToPel(2, 0), 3);
        EXPECT_FALSE(watch.expired());
    }
    EXPECT_TRUE(watch.expired());
    for (long stride : {2L, -5L})
        EXPECT_THROW(xcPelBuffer_const<unsigned char>(xcPelRect(0, 0, 3, 2), pels, stride, nullptr),
                     xcPel::BadParams);
    EXPECT_THROW(xcPelBuffer_const<short>(xcPelRect(0, 0, 1, 1),
                                          reinterpret_cast<const short*>(pels), 3, nullptr),
                 xcPel::BadParams);
    EXPECT_THROW(xcPelBuffer_const<unsigned char>(xcPelRect(0, 0, 3, 2), nullptr, 5, nullptr),
                 xcPel::BadParams);
    EXPECT_THROW(xcPelBuffer_const<unsigned char>(xcPelRect(0, 0, -3, 2), pels, 5, nullptr),
                 xcPel::BadWindow);
}
