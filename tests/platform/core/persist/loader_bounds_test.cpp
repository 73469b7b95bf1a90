// Loaders whose counts come in pairs: a side of 0 must keep the other side, which the bytes left
// do not bound, from driving a loop or an allocation.
#include "core/geom/nmmatrix.h"
#include "core/persist/archive.h"

#include <gtest/gtest.h>

#include <ctime>

TEST(LoaderBounds, MatrixWithZeroColumnsDoesNotLoopOverItsRows) {
    // rows then columns, each a uint32: 2^32 - 1 rows of nothing in 8 bytes.
    const std::clock_t start = std::clock();
    for (const auto& [rows, cols] : {std::pair{0xFFFFFFFFul, 0ul}, std::pair{0ul, 0xFFFFFFFFul}}) {
        xcMemoryArchive out;
        unsigned long r = rows, c = cols;
        out || r || c;
        xcNMMatrix m(2, 2, 1.0);
        xcMemoryArchive in(out.bytes());
        in || m;
        EXPECT_EQ(m.rows(), long(rows));
        EXPECT_EQ(m.cols(), long(cols));
        xcMemoryArchive again;
        again || m;
        EXPECT_EQ(again.bytes(), out.bytes());
    }
    EXPECT_LT(double(std::clock() - start) / CLOCKS_PER_SEC, 1.0);
}
