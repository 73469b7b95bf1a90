#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// The archive bytes of a sequence of doubles (8 bytes each, little-endian IEEE).
Bytes doubles(std::initializer_list<double> ds) {
    Bytes b;
    for (double d : ds) {
        unsigned char raw[8];
        std::memcpy(raw, &d, 8);
        b.insert(b.end(), raw, raw + 8); // the test host is little-endian
    }
    return b;
}

template <class T>
Bytes store(T v) {
    xcMemoryArchive ar;
    ar || v;
    return ar.bytes();
}

template <class T>
T load(const Bytes& bytes, T start = T()) {
    xcMemoryArchive ar(bytes);
    ar || start;
    EXPECT_EQ(ar.bytesLeft(), std::size_t(0));
    return start;
}

} // namespace

TEST(GeomArchive, LayoutsAndRoundTrips) {
    const xcVector<2> v(1.5, -2);
    EXPECT_EQ(store(v), doubles({1.5, -2}));
    EXPECT_EQ(load<xcVector<2>>(store(v)), v);

    const xcMatrix<2> m(1, 2, 3, 4);
    EXPECT_EQ(store(m), doubles({1, 2, 3, 4}));
    EXPECT_EQ(load<xcMatrix<2>>(store(m)), m);

    const xcXform<2> x(xcMatrix<2>(1, 2, 3, 4), xcVector<2>(5, 6));
    EXPECT_EQ(store(x), doubles({1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(load<xcXform<2>>(store(x)), x);

    xc2XformLinear lin(x);
    EXPECT_EQ(store(lin), doubles({1, 2, 3, 4, 5, 6}));
    xc2XformLinear linBack = load<xc2XformLinear>(store(lin));
    EXPECT_EQ(linBack.linear(), x);

    const xc2Rigid r(xcRadian(0.25), xcVector<2>(-1, 2));
    EXPECT_EQ(store(r), doubles({0.25, -1, 2}));
    EXPECT_EQ(load<xc2Rigid>(store(r)), r);

    EXPECT_EQ(store(xcRadian(1.0)), doubles({1.0}));
    EXPECT_EQ(store(xcDegree(90.0)), doubles({90.0})); // degrees stay degrees
    EXPECT_EQ(load<xcDegree>(doubles({45.0})).toDouble(), 45.0);
    EXPECT_EQ(load<xcRadian>(doubles({-3.0})).toDouble(), -3.0);

    const xcRect rect(0.5, 1.5, 10, 20);
    EXPECT_EQ(store(rect), doubles({0.5, 1.5, 10, 20}));
    EXPECT_EQ(load<xcRect>(store(rect)), rect);

    const xcPelRect pel(-3, 4, 640, 480);
    EXPECT_EQ(store(pel),
              (Bytes{0xFD, 0xFF, 0xFF, 0xFF, 4, 0, 0, 0, 0x80, 2, 0, 0, 0xE0, 1, 0, 0}));
    EXPECT_EQ(load<xcPelRect>(store(pel)), pel);

    const xcAffineRectangle ar(xcVector<2>(1, 2), xcVector<2>(3, 4), xcVector<2>(5, 6));
    EXPECT_EQ(store(ar), doubles({1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(load<xcAffineRectangle>(store(ar)), ar);
}

TEST(GeomArchive, RangesKeepTheirKind) {
    Bytes normal{0};
    const Bytes nd = doubles({1, 2});
    normal.insert(normal.end(), nd.begin(), nd.end());
    EXPECT_EQ(store(xcRange(1, 2)), normal);
    EXPECT_EQ(load<xcRange>(store(xcRange(1, 2))), xcRange(1, 2));
    EXPECT_EQ(store(xcRange::EmptyRange())[0], 1);
    EXPECT_EQ(store(xcRange::FullRange())[0], 2);
    EXPECT_EQ(load<xcRange>(store(xcRange::EmptyRange())), xcRange::EmptyRange());
    EXPECT_EQ(load<xcRange>(store(xcRange::FullRange())), xcRange::FullRange());
    // A full range rebuilt from its kind, whatever its ends say.
    Bytes full{2};
    const Bytes zeros = doubles({0, 0});
    full.insert(full.end(), zeros.begin(), zeros.end());
    EXPECT_TRUE(load<xcRange>(full).isFull());

    Bytes bad = normal;
    bad[0] = 3;
    xcRange kept(5, 6);
    xcMemoryArchive ld(bad);
    try {
        ld || kept;
        FAIL() << "no exception";
    } catch (const xcArchive::BadFormat& e) {
        EXPECT_EQ(e.message(), "Range kind 3 is not 0, 1 or 2");
    }
    EXPECT_EQ(kept, xcRange(5, 6));
}

TEST(GeomArchive, FailuresLeaveTheValue) {
    xcXform<2> x(xcMatrix<2>(1, 2, 3, 4), xcVector<2>(5, 6));
    Bytes shortData = doubles({9, 9, 9, 9, 9});
    xcMemoryArchive ld(shortData);
    EXPECT_THROW(ld || x, xcArchive::EndOfArchive);
    EXPECT_EQ(x, xcXform<2>(xcMatrix<2>(1, 2, 3, 4), xcVector<2>(5, 6)));

    if (sizeof(long) > 4) {
        xcPelRect wide(0, 0, 1L << 40, 1);
        xcMemoryArchive st;
        EXPECT_THROW(st || wide, xcArchive::NotStorable);
    }
}
