#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"
#include "test_objects.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace xcTest;

namespace {

// The archive bytes of an optional kind byte and doubles (8 bytes each, little-endian IEEE).
Bytes doubles(std::initializer_list<double> ds, int kind = -1) {
    Bytes b;
    if (kind >= 0) b.push_back(static_cast<unsigned char>(kind));
    for (double d : ds) {
        unsigned char raw[8];
        std::memcpy(raw, &d, 8); // the test host is little-endian
        for (unsigned char c : raw) b.push_back(c);
    }
    return b;
}

template <class T>
void expectLayout(const T& v, const Bytes& bytes) {
    EXPECT_EQ(store(v), bytes);
    EXPECT_EQ(load<T>(bytes), v);
}

} // namespace

TEST(GeomArchive, LayoutsAndRoundTrips) {
    const xcXform<2> x(xcMatrix<2>(1, 2, 3, 4), xcVector<2>(5, 6));
    expectLayout(xcVector<2>(1.5, -2), doubles({1.5, -2}));
    expectLayout(xcMatrix<2>(1, 2, 3, 4), doubles({1, 2, 3, 4}));
    expectLayout(x, doubles({1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(store(xc2XformLinear(x)), doubles({1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(load<xc2XformLinear>(doubles({1, 2, 3, 4, 5, 6})).linear(), x);
    expectLayout(xc2Rigid(xcRadian(0.25), xcVector<2>(-1, 2)), doubles({0.25, -1, 2}));
    EXPECT_EQ(store(xcRadian(1.0)), doubles({1.0}));
    EXPECT_EQ(store(xcDegree(90.0)), doubles({90.0})); // degrees stay degrees
    EXPECT_EQ(load<xcDegree>(doubles({45.0})).toDouble(), 45.0);
    expectLayout(xcRect(0.5, 1.5, 10, 20), doubles({0.5, 1.5, 10, 20}));
    expectLayout(xcPelRect(-3, 4, 640, 480),
                 Bytes{0xFD, 0xFF, 0xFF, 0xFF, 4, 0, 0, 0, 0x80, 2, 0, 0, 0xE0, 1, 0, 0});
    expectLayout(xcAffineRectangle(xcVector<2>(1, 2), xcVector<2>(3, 4), xcVector<2>(5, 6)),
                 doubles({1, 2, 3, 4, 5, 6}));

    // Ranges keep their kind; a full range is rebuilt from its kind, whatever its ends say.
    expectLayout(xcRange(1, 2), doubles({1, 2}, 0));
    EXPECT_EQ(store(xcRange::EmptyRange())[0], 1);
    EXPECT_EQ(store(xcRange::FullRange())[0], 2);
    EXPECT_EQ(load<xcRange>(store(xcRange::EmptyRange())), xcRange::EmptyRange());
    EXPECT_TRUE(load<xcRange>(doubles({0, 0}, 2)).isFull());
}

TEST(GeomArchive, FailuresLeaveTheValue) {
    xcRange kept(5, 6);
    xcMemoryArchive ld(doubles({1, 2}, 3));
    EXPECT_EQ(thrown<xcArchive::BadFormat>([&] { ld || kept; }), "Range kind 3 is not 0, 1 or 2");
    EXPECT_EQ(kept, xcRange(5, 6));
}
