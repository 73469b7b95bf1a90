#include "core/image/pel_buffer_archive.h"
#include "core/image/pel_ops.h"
#include "core/persist/archive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
using Image = xcPelBuffer<unsigned char>;

template <class B>
Bytes store(B& b) {
    xcMemoryArchive ar;
    ar || b;
    return ar.bytes();
}

template <class B>
void load(const Bytes& bytes, B& b) {
    xcMemoryArchive ar(bytes);
    ar || b;
}

// Little-endian bytes of an integer.
void put(Bytes& out, std::uint64_t u, int n) {
    for (int i = 0; i < n; ++i) out.push_back(static_cast<unsigned char>(u >> (8 * i)));
}

// The bytes the layout prescribes for a header: bound flag, clientFromImage, window.
Bytes header(bool bound, const xcXform<2>& x, const xcPelRect& w) {
    Bytes b{static_cast<unsigned char>(bound)};
    for (double v : {x.matrix().a(), x.matrix().b(), x.matrix().c(), x.matrix().d(), x.trans().x(),
                     x.trans().y()}) {
        std::uint64_t u;
        std::memcpy(&u, &v, sizeof u);
        put(b, u, 8);
    }
    if (bound)
        for (long v : {w.x(), w.y(), w.width(), w.height()}) put(b, std::uint32_t(v), 4);
    return b;
}

const xcXform<2> kClient(xcMatrix<2>(0.25, -1.5, 2.0, 3.0), xcVector<2>(-7.0, 1e6));

} // namespace

TEST(PelBufferArchive, BoundBufferLayoutByteByByteAndRoundTrip) {
    Image root(xcPelRect(-10, 0, 20, 10));
    for (long y = 0; y < 10; ++y)
        for (long x = 0; x < 20; ++x)
            *root.pointToPel(x, y) = static_cast<unsigned char>(x + 20 * y);
    root.clientFromImageXform(kClient);
    Image b = root;
    b.window(xcPelRect(-3, 4, 3, 2));

    Bytes expected = header(true, kClient, xcPelRect(-3, 4, 3, 2));
    for (long y = 4; y < 6; ++y)
        for (long x = 7; x < 10; ++x) expected.push_back(static_cast<unsigned char>(x + 20 * y));
    EXPECT_EQ(store(b), expected);
    EXPECT_EQ(expected.size(), 1u + 48u + 16u + 6u);

    // Loading replaces whatever the target held with a new root that is exactly the window.
    Image loaded(4, 4);
    load(expected, loaded);
    EXPECT_EQ(loaded.clientFromImage(), kClient);
    EXPECT_TRUE(xfPelEqual(loaded, b));
    loaded.setEntire();
    EXPECT_EQ(loaded.window(), xcPelRect(-3, 4, 3, 2));

    xcPelBuffer_const<unsigned char> ro;
    load(expected, ro);
    EXPECT_EQ(store(ro), expected);
}

TEST(PelBufferArchive, UnboundKeepsItsTransformShortPelsAreInt16LittleEndian) {
    Image u;
    u.clientFromImageXform(kClient);
    EXPECT_EQ(store(u), header(false, kClient, xcPelRect()));
    Image loaded(3, 3);
    load(store(u), loaded);
    EXPECT_FALSE(loaded.isBound());
    EXPECT_EQ(loaded.clientFromImage(), kClient);

    xcPelBuffer<short> s(xcPelRect(1, 2, 2, 1));
    *s.pointToPel(0, 0) = -2;
    *s.pointToPel(1, 0) = 0x1234;
    Bytes expected = header(true, xcXform<2>(), xcPelRect(1, 2, 2, 1));
    for (unsigned char c : {0xFE, 0xFF, 0x34, 0x12}) expected.push_back(c);
    EXPECT_EQ(store(s), expected);
    xcPelBuffer_const<short> back;
    load(expected, back);
    EXPECT_TRUE(xfPelEqual(back, s));
}

TEST(PelBufferArchive, DamagedBytesThrowAndLeaveTheTargetAloneBadTransformsAreRefused) {
    Image b(xcPelRect(0, 0, 5, 4));
    xfPelSet(b, 7);
    const Bytes good = store(b);

    Image target(xcPelRect(9, 9, 1, 1));
    *target.pointToPel(0, 0) = 99;
    // Every truncation.
    for (std::size_t n = 0; n < good.size(); ++n) {
        const Bytes cut(good.begin(), good.begin() + long(n));
        EXPECT_THROW(load(cut, target), xcException) << n;
    }
    // A bool that is neither 0 nor 1.
    Bytes badBool = good;
    badBool[0] = 2;
    EXPECT_THROW(load(badBool, target), xcArchive::BadFormat);
    // Negative sizes; a size far beyond the bytes left (refused before any allocation); a
    // singular or non-finite transform.
    Bytes huge = header(true, xcXform<2>(), xcPelRect(0, 0, 0x7FFFFFFF, 0x7FFFFFFF));
    huge.resize(huge.size() + 100, 0);
    for (const Bytes& bad :
         {header(true, xcXform<2>(), xcPelRect(0, 0, -1, 4)), huge,
          header(false, xcXform<2>(xcMatrix<2>(1, 2, 2, 4), xcVector<2>()), xcPelRect()),
          header(false, xcXform<2>(xcMatrix<2>(), xcVector<2>(NAN, 0)), xcPelRect())})
        EXPECT_THROW(load(bad, target), xcArchive::BadFormat);
    EXPECT_EQ(target.window(), xcPelRect(9, 9, 1, 1));
    EXPECT_EQ(*target.pointToPel(0, 0), 99);

    // A non-linear transform has no six numbers: refused before anything is written.
    b.imageFromClientXform(std::make_shared<xc2XformPoly2>(
        xcXform<2>(), std::array<double, 3>{0.01, 0, 0}, std::array<double, 3>{0, 0, 0}));
    xcMemoryArchive ar;
    EXPECT_THROW(ar || b, xcArchive::NotStorable);
    EXPECT_TRUE(ar.bytes().empty());
}

TEST(PelBufferArchive, ZeroSideWindowNeitherLoopsNorAllocatesOverTheOtherSide) {
    // A window with one side 0 holds no pels, so its archive is just the header; the other side
    // is as large as a window may be. The loader once looped over 2^31 empty rows here, or sized
    // a row buffer of 2^31 pels, from fewer than 70 bytes.
    const std::clock_t start = std::clock();
    for (const xcPelRect& w : {xcPelRect(0, 0, 0, 0x7FFFFFFF), xcPelRect(0, 0, 0x7FFFFFFF, 0)}) {
        const Bytes bytes = header(true, kClient, w);
        Image b;
        load(bytes, b);
        EXPECT_EQ(b.window(), w);
        EXPECT_EQ(store(b), bytes);
        xcPelBuffer<short> s;
        load(bytes, s);
        EXPECT_EQ(s.window(), w);
        EXPECT_EQ(store(s), bytes);
    }
    EXPECT_LT(double(std::clock() - start) / CLOCKS_PER_SEC, 1.0);
}
