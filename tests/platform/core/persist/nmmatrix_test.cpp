#include "core/base/errors.h"
#include "core/geom/nmmatrix.h"
#include "core/persist/archive.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using Bytes = std::vector<unsigned char>;
}

TEST(NMMatrix, SizesAccessAndResize) {
    xcNMMatrix empty;
    EXPECT_EQ(empty.rows(), 0);
    EXPECT_EQ(empty.cols(), 0);

    xcNMMatrix m(2, 3, 0.5);
    EXPECT_EQ(m.rows(), 2);
    EXPECT_EQ(m.cols(), 3);
    EXPECT_EQ(m(1, 2), 0.5);
    m(0, 1) = 7;
    m(1, 0) = -1;
    EXPECT_EQ(m.data()[1], 7); // row by row
    EXPECT_EQ(m.data()[3], -1);

    xcNMMatrix copy = m;
    EXPECT_EQ(copy, m);
    copy(0, 0) = 1;
    EXPECT_FALSE(copy == m);
    EXPECT_FALSE(xcNMMatrix(2, 3) == xcNMMatrix(3, 2));

    // The upper-left block keeps its values; new elements take the fill.
    m.resize(3, 2, 9);
    EXPECT_EQ(m.rows(), 3);
    EXPECT_EQ(m(0, 1), 7);
    EXPECT_EQ(m(1, 0), -1);
    EXPECT_EQ(m(1, 1), 0.5);
    EXPECT_EQ(m(2, 0), 9);
    EXPECT_EQ(m(2, 1), 9);
    m.resize(1, 1);
    EXPECT_EQ(m, xcNMMatrix(1, 1, 0.5));
    m.fill(2);
    EXPECT_EQ(m(0, 0), 2);

    EXPECT_THROW(xcNMMatrix(-1, 2), xcBadParams);
    EXPECT_THROW(xcNMMatrix(1L << 20, 1L << 20), xcBadParams);
    EXPECT_THROW(m.resize(2, -2), xcBadParams);
    EXPECT_EQ(m, xcNMMatrix(1, 1, 2)); // a refused resize changes nothing
}

TEST(NMMatrix, ArchiveLayoutAndDamage) {
    xcNMMatrix m(1, 2);
    m(0, 0) = 1.0;
    m(0, 1) = -2.5;
    xcMemoryArchive st;
    st || m;
    EXPECT_EQ(st.bytes(), (Bytes{1, 0, 0,    0,    2, 0, 0, 0, 0, 0, 0,    0,
                                 0, 0, 0xF0, 0x3F, 0, 0, 0, 0, 0, 0, 0x04, 0xC0}));
    xcNMMatrix back(5, 5);
    xcMemoryArchive ld(st.bytes());
    ld || back;
    EXPECT_EQ(back, m);

    // 0xFFFF x 0xFFFF doubles cannot come from 10 bytes.
    xcMemoryArchive huge(Bytes{0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0, 1, 2});
    EXPECT_THROW(huge || back, xcArchive::BadFormat);
    Bytes truncated = st.bytes();
    truncated.pop_back();
    xcMemoryArchive shortData(truncated);
    EXPECT_THROW(shortData || back, xcArchive::BadFormat);
    EXPECT_EQ(back, m);

    // Empty shapes keep their row or column count.
    xcNMMatrix wide(0, 4);
    xcMemoryArchive st2;
    st2 || wide;
    xcMemoryArchive ld2(st2.bytes());
    ld2 || back;
    EXPECT_EQ(back.rows(), 0);
    EXPECT_EQ(back.cols(), 4);
}
