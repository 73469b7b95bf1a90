#include "oc/imageutil/mirror_pad.h"

#include "foundation/oc_defs.h"
#include "test_images.h"

#include <gtest/gtest.h>

using namespace imageutil_test;

// Inner rectangle (2, 1, 3, 2) of a 7 x 6 window, pels 11 12 13 / 21 22 23 (tens: row, units:
// column). Above: row 0 repeats inner row 0. Below, from row 3 outwards: inner rows 1, 0, 0 (the
// farthest keep the last row used). Left, from column 1 outwards: inner columns 0, 1; right,
// from column 5: inner columns 2, 1.
TEST(MirrorPad, RowsThenColumnsNearestFirst) {
    Image buf = makeImage(xcPelRect(10, 20, 7, 6), [](long, long) { return 0; });
    for (long y = 0; y < 2; ++y)
        for (long x = 0; x < 3; ++x)
            *buf.pointToPel(2 + x, 1 + y) = static_cast<unsigned char>(10 * (y + 1) + x + 1);
    xf_OCMirrorPad(buf, xcPelRect(12, 21, 3, 2));
    const std::vector<std::vector<int>> want{
        {12, 11, 11, 12, 13, 13, 12}, // above: inner row 0
        {12, 11, 11, 12, 13, 13, 12}, // inner row 0
        {22, 21, 21, 22, 23, 23, 22}, // inner row 1
        {22, 21, 21, 22, 23, 23, 22}, // below: inner row 1
        {12, 11, 11, 12, 13, 13, 12}, // inner row 0
        {12, 11, 11, 12, 13, 13, 12}, // clamped to inner row 0
    };
    EXPECT_EQ(rowsOf(buf), want);
}

TEST(MirrorPad, NarrowInnerClampsAndBadInnerThrows) {
    Image buf =
        makeImage(xcPelRect(0, 0, 5, 3), [](long x, long y) { return x == 2 && y == 1 ? 9 : 0; });
    xf_OCMirrorPad(buf, xcPelRect(2, 1, 1, 1));
    for (const auto& row : rowsOf(buf))
        for (int v : row) EXPECT_EQ(v, 9);
    EXPECT_THROW(xf_OCMirrorPad(buf, xcPelRect(2, 1, 0, 1)), xcOCDefs::BadParams);
    EXPECT_THROW(xf_OCMirrorPad(buf, xcPelRect(4, 1, 2, 1)), xcOCDefs::BadParams);
}
