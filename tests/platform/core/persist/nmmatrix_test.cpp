#include "core/base/errors.h"
#include "core/geom/nmmatrix.h"
#include "core/persist/archive.h"
#include "test_objects.h"

#include <gtest/gtest.h>

using xcTest::Bytes;

TEST(NMMatrix, RowMajorResizeAndRefusals) {
    xcNMMatrix m(2, 3, 0.5);
    m(0, 1) = 7;
    m(1, 0) = -1;
    EXPECT_EQ(m.data()[1], 7); // row by row
    EXPECT_EQ(m.data()[3], -1);
    EXPECT_FALSE(xcNMMatrix(2, 3) == xcNMMatrix(3, 2));
    // The upper-left block keeps its values; new elements take the fill.
    m.resize(3, 2, 9);
    const double expected[3][2] = {{0.5, 7}, {-1, 0.5}, {9, 9}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 2; ++c) EXPECT_EQ(m(r, c), expected[r][c]) << r << c;
    m.resize(1, 1);
    EXPECT_EQ(m, xcNMMatrix(1, 1, 0.5));

    EXPECT_THROW(xcNMMatrix(-1, 2), xcBadParams);
    EXPECT_THROW(xcNMMatrix(1L << 20, 1L << 20), xcBadParams);
    EXPECT_THROW(m.resize(2, -2), xcBadParams);
    EXPECT_EQ(m, xcNMMatrix(1, 1, 0.5)); // a refused resize changes nothing
}

TEST(NMMatrix, ArchiveLayoutAndDamage) {
    xcNMMatrix m(1, 2);
    m(0, 0) = 1.0;
    m(0, 1) = -2.5;
    const Bytes bytes{1, 0, 0,    0,    2, 0, 0, 0, 0, 0, 0,    0,
                      0, 0, 0xF0, 0x3F, 0, 0, 0, 0, 0, 0, 0x04, 0xC0};
    EXPECT_EQ(xcTest::store(m), bytes);
    xcNMMatrix back = xcTest::load(bytes, xcNMMatrix(5, 5));
    EXPECT_EQ(back, m);

    // 0xFFFF x 0xFFFF doubles cannot come from 10 bytes.
    xcMemoryArchive huge(Bytes{0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0, 1, 2});
    EXPECT_THROW(huge || back, xcArchive::BadFormat);
    xcMemoryArchive shortData(Bytes(bytes.begin(), bytes.end() - 1));
    EXPECT_THROW(shortData || back, xcArchive::BadFormat);
    EXPECT_EQ(back, m);

    // Empty shapes keep their row or column count.
    back = xcTest::load(xcTest::store(xcNMMatrix(0, 4)), back);
    EXPECT_EQ(back.rows(), 0);
    EXPECT_EQ(back.cols(), 4);
}
