#include "core/image/pel_errors.h"
#include "core/image/pel_ops.h"
#include "image_test_util.h"

#include <gtest/gtest.h>

#include <array>

using namespace image_test;

namespace {
const xcXform<2> kClient(xcMatrix<2>(0.5, 0.0, 0.0, 0.5), xcVector<2>(3.0, 4.0));
}

TEST(PelCopy, IntoBoundPairsWindowRelativelyEvenWhenWindowsOverlap) {
    const Image src = marked(xcPelRect(100, 100, 3, 2));
    Image big(xcPelRect(0, 0, 10, 10));
    xfPelSet(big, 9);
    big.clientFromImageXform(kClient);
    Image dst = big;
    dst.window(xcPelRect(4, 5, 3, 2));
    xfPelCopy(src, dst);
    EXPECT_EQ(dst.clientFromImage(), kClient);
    EXPECT_EQ(*big.pointToPel(6, 6), marker(102, 101));
    EXPECT_EQ(*big.pointToPel(3, 5), 9);

    Image wrong(xcPelRect(0, 0, 3, 3));
    xfPelSet(wrong, 1);
    EXPECT_THROW(xfPelCopy(src, wrong), xcPel::SizeMismatch);
    EXPECT_EQ(*wrong.pointToPel(0, 0), 1);
    EXPECT_THROW(xfPelCopy(Image(), dst), xcPel::UnboundWindow);

    // Source and target windows of one root that overlap at a shift: as if through a copy.
    Image root = marked(xcPelRect(0, 0, 12, 12)), s = root, d = root;
    s.window(xcPelRect(2, 2, 6, 6));
    d.window(xcPelRect(3, 4, 6, 6));
    xfPelCopy(s, d);
    for (long y = 0; y < 6; ++y)
        for (long x = 0; x < 6; ++x) ASSERT_EQ(*d.pointToPel(x, y), marker(2 + x, 2 + y));
}

TEST(PelMap, MapsThroughTheTableInPlaceOrIntoANewRoot) {
    const Image src = random(xcPelRect(7, 7, 33, 9), 1);
    std::array<unsigned char, 256> table;
    for (int g = 0; g < 256; ++g) table[g] = static_cast<unsigned char>(g < 128 ? 0 : 255);
    Image dst;
    xfPelMap(src, table.data(), dst);
    for (long y = 0; y < src.height(); ++y)
        for (long x = 0; x < src.width(); ++x)
            ASSERT_EQ(*dst.pointToPel(x, y), *src.pointToPel(x, y) < 128 ? 0 : 255);
    EXPECT_THROW(xfPelMap(src, nullptr, dst), xcPel::BadParams);
    for (int g = 0; g < 256; ++g) table[g] = static_cast<unsigned char>(255 - g);
    const unsigned char before = *src.pointToPel(3, 3);
    Image inPlace = src;
    xfPelMap(inPlace, table.data(), inPlace);
    EXPECT_EQ(*src.pointToPel(3, 3), 255 - before);
}

TEST(PelMinMax, UnaryTakeTheWindowBinaryPairWindowRelativelyAcrossOffsets) {
    Image b(xcPelRect(0, 0, 40, 3));
    xfPelSet(b, 100);
    *b.pointToPel(0, 0) = 3; // outside the window below
    *b.pointToPel(17, 1) = 40;
    *b.pointToPel(18, 1) = 201;
    Image w = b;
    w.window(xcPelRect(1, 0, 38, 3));
    EXPECT_EQ(xfPelMin(w), 40);
    EXPECT_EQ(xfPelMax(w), 201);

    // As the blankness score pairs them: a sample at (0, 0) with a mask window elsewhere.
    Image a = random(xcPelRect(0, 0, 9, 7), 2);
    a.clientFromImageXform(kClient);
    Image bRoot = random(xcPelRect(0, 0, 30, 30), 3), m = bRoot;
    m.window(xcPelRect(11, 13, 9, 7));
    Image lo, hi;
    xfPelMin(a, m, lo);
    xfPelMax(a, m, hi);
    EXPECT_EQ(lo.clientFromImage(), kClient);
    for (long y = 0; y < 7; ++y)
        for (long x = 0; x < 9; ++x) {
            const int va = *a.pointToPel(x, y), vb = *bRoot.pointToPel(11 + x, 13 + y);
            ASSERT_EQ(*lo.pointToPel(x, y), std::min(va, vb));
            ASSERT_EQ(*hi.pointToPel(x, y), std::max(va, vb));
        }
    Image small = a;
    small.window(xcPelRect(0, 0, 9, 6));
    EXPECT_THROW(xfPelMin(small, m, lo), xcPel::SizeMismatch);
    EXPECT_THROW(xfPelMax(a, Image(), hi), xcPel::UnboundWindow);
    xfPelMin(a, m, a);
    EXPECT_TRUE(xfPelEqual(a, lo));
}

TEST(PelSetAndEqual, FillTheWindowOnlyAndCompareIgnoringOffsetsAndTransforms) {
    Image b(xcPelRect(0, 0, 5, 5));
    xfPelSet(b, 0);
    Image w = b;
    w.window(xcPelRect(1, 1, 3, 3));
    xfPelSet(w, 77);
    EXPECT_EQ(xfPelHistogram(b).count(77), 9u);

    Image c;
    xfPelCopy(w, c);
    c.offset(xcPelPoint(50, 60));
    c.clientFromImageXform(kClient);
    EXPECT_TRUE(xfPelEqual(w, c));
    *c.pointToPel(2, 2) ^= 1;
    EXPECT_FALSE(xfPelEqual(w, c));
    EXPECT_FALSE(xfPelEqual(w, b));
    EXPECT_THROW(xfPelEqual(Image(), b), xcPel::UnboundWindow);
}
