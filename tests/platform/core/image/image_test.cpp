// Pel buffers, whole-window operations, histograms and the pel buffer archive.
#include "core/geom/geom_errors.h"
#include "core/image/pel_buffer_archive.h"
#include "core/image/pel_errors.h"
#include "core/image/pel_ops.h"
#include "core/persist/archive.h"
#include "image_test_util.h"
#include "platform/core/persist/archive_test_util.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <vector>

using namespace image_test;
using namespace xcTest;

namespace {
const xcXform<2> kShiftScale(xcMatrix<2>(2.0, 0.0, 0.0, 3.0), xcVector<2>(5.0, -1.0));
}

TEST(PelBuffer, UnboundKeepsTransformsAlignmentAndSizesRefusedBeforeAllocating) {
    Image c(4, 4);
    c.imageFromClientXform(kShiftScale);
    c.setUnbound();
    const auto e = caught<xcPel::UnboundWindow>([&] { c.window(); });
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

TEST(PelBuffer, HandlesSharePelsButEachKeepsItsOwnWindowOffsetAndTransforms) {
    Image root = marked(xcPelRect(10, 20, 8, 6));
    root.clientFromImageXform(kShiftScale);
    Image view = root;
    view.window(xcPelRect(12, 23, 3, 2));
    EXPECT_EQ(*view.rowPointer(1), marker(12, 24));
    *view.pointToPel(1, 1) = 222;
    EXPECT_EQ(*root.pointToPel(3, 4), 222);
    view.clientFromImageXform(xcXform<2>());
    EXPECT_EQ(root.clientFromImage(), kShiftScale);
    // Offset relabels image coordinates of one handle and leaves its transforms.
    view.offset(xcPelPoint(100, 200));
    EXPECT_EQ(view.rootWindow(), xcPelRect(12, 23, 3, 2));
    view.window(xcPelRect(101, 201, 2, 1));
    EXPECT_EQ(*view.pointToPel(0, 0), 222);
    view.setEntire();
    EXPECT_EQ(view.window(), xcPelRect(98, 197, 8, 6));
    EXPECT_EQ(root.window(), xcPelRect(10, 20, 8, 6));
    EXPECT_THROW(view.offset(xcPelPoint(1L << 41, 0)), xcPel::BadWindow);
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
                 {xcPelRect(5, 2, LONG_MAX, 1), xcPelRect(5, 2, 5, 1), true}};
    for (const auto& k : cases) {
        b.setEntire();
        b.window(k.asked, k.clip);
        EXPECT_EQ(b.window(), k.got);
    }
}

TEST(PelBuffer, TransformSettersKeepThePairInverseAndCheckFirst) {
    Image b(3, 3);
    b.clientFromImageXform(kShiftScale);
    const xcVector<2> p(1.25, -7.5);
    EXPECT_TRUE(xfRealEq(b.imageFromClient().mapPoint(b.clientFromImage().mapPoint(p)), p, 1e-12));
    EXPECT_THROW(b.clientFromImageXform(xcXform<2>(xcMatrix<2>(1, 2, 2, 4), xcVector<2>())),
                 xcGeomDefs::Singular);
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
}

TEST(PelOps, CopyIntoBoundPairsWindowRelativelyEvenWhenWindowsOverlap) {
    const Image src = marked(xcPelRect(100, 100, 3, 2));
    Image big(xcPelRect(0, 0, 10, 10));
    xfPelSet(big, 9);
    big.clientFromImageXform(kShiftScale);
    Image dst = big;
    dst.window(xcPelRect(4, 5, 3, 2));
    xfPelCopy(src, dst);
    EXPECT_EQ(dst.clientFromImage(), kShiftScale);
    EXPECT_EQ(*big.pointToPel(6, 6), marker(102, 101));
    EXPECT_EQ(*big.pointToPel(3, 5), 9);
    EXPECT_EQ(xfPelHistogram(big).count(9), 94u);

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

TEST(PelOps, MapMinMaxAndEqualPelByPel) {
    const Image src = random(xcPelRect(7, 7, 33, 9), 1);
    std::array<unsigned char, 256> table;
    for (int g = 0; g < 256; ++g) table[g] = static_cast<unsigned char>(255 - g);
    Image inverted;
    xfPelMap(src, table.data(), inverted);
    EXPECT_EQ(inverted.window(), src.window());
    EXPECT_THROW(xfPelMap(src, nullptr, inverted), xcPel::BadParams);

    // As the blankness score pairs them: a sample at (7, 7) with a mask window elsewhere.
    Image bRoot = random(xcPelRect(0, 0, 50, 30), 3), m = bRoot;
    m.window(xcPelRect(11, 13, 33, 9));
    Image lo, hi;
    xfPelMin(src, m, lo);
    xfPelMax(src, m, hi);
    for (long y = 0; y < 9; ++y)
        for (long x = 0; x < 33; ++x) {
            const int va = *src.pointToPel(x, y), vb = *bRoot.pointToPel(11 + x, 13 + y);
            ASSERT_EQ(*lo.pointToPel(x, y), std::min(va, vb));
            ASSERT_EQ(*hi.pointToPel(x, y), std::max(va, vb));
            ASSERT_EQ(*inverted.pointToPel(x, y), 255 - va);
        }
    xfPelMin(inverted, inverted, inverted); // in place
    EXPECT_FALSE(xfPelEqual(inverted, src));
    xfPelMap(inverted, table.data(), inverted);
    EXPECT_TRUE(xfPelEqual(inverted, src));
    *inverted.pointToPel(32, 8) ^= 1; // the last pel
    EXPECT_FALSE(xfPelEqual(inverted, src));
    Image small = src;
    small.window(xcPelRect(7, 7, 33, 8));
    EXPECT_FALSE(xfPelEqual(small, src));
    EXPECT_THROW(xfPelMin(small, m, lo), xcPel::SizeMismatch);
    EXPECT_THROW(xfPelMax(src, Image(), hi), xcPel::UnboundWindow);
    EXPECT_THROW(xfPelEqual(Image(), src), xcPel::UnboundWindow);

    // The window's extremes, not the root's.
    Image b(xcPelRect(0, 0, 40, 3));
    xfPelSet(b, 100);
    *b.pointToPel(0, 0) = 3;
    *b.pointToPel(17, 1) = 40;
    *b.pointToPel(18, 1) = 201;
    b.window(xcPelRect(1, 0, 38, 3));
    EXPECT_EQ(xfPelMin(b), 40);
    EXPECT_EQ(xfPelMax(b), 201);
}

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

TEST(HistoStats, LowerMedianMeanAndMaskFrom128Up) {
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

namespace {

template <class B>
void loadInto(const Bytes& bytes, B& b) {
    xcMemoryArchive ar(bytes);
    ar || b;
}

// The bytes before the pels: bound flag, clientFromImage (six doubles), window (four int32).
Bytes header(bool bound, const xcXform<2>& x, const xcPelRect& w) {
    Bytes b{static_cast<unsigned char>(bound)};
    const auto put = [&](std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
    };
    for (double v : {x.matrix().a(), x.matrix().b(), x.matrix().c(), x.matrix().d(), x.trans().x(),
                     x.trans().y()}) {
        std::uint64_t u;
        std::memcpy(&u, &v, sizeof u);
        put(u, 8);
    }
    if (bound)
        for (long v : {w.x(), w.y(), w.width(), w.height()}) put(std::uint32_t(v), 4);
    return b;
}

const xcXform<2> kClient(xcMatrix<2>(0.25, -1.5, 2.0, 3.0), xcVector<2>(-7.0, 1e6));

} // namespace

TEST(PelBufferArchive, LayoutsOfBoundUnboundAndShortBuffers) {
    Image root = marked(xcPelRect(-10, 0, 20, 10));
    root.clientFromImageXform(kClient);
    Image b = root;
    b.window(xcPelRect(-3, 4, 3, 2));
    Bytes expected = header(true, kClient, xcPelRect(-3, 4, 3, 2));
    for (long y = 4; y < 6; ++y)
        for (long x = -3; x < 0; ++x) expected.push_back(marker(x, y));
    EXPECT_EQ(store(b), expected);
    EXPECT_EQ(expected.size(), 1u + 48u + 16u + 6u);
    // Loading replaces whatever the target held with a new root that is exactly the window.
    auto loaded = load(expected, xcPelBuffer_const<unsigned char>(4, 4));
    EXPECT_EQ(loaded.clientFromImage(), kClient);
    EXPECT_TRUE(xfPelEqual(loaded, b));
    loaded.setEntire();
    EXPECT_EQ(loaded.window(), xcPelRect(-3, 4, 3, 2));

    // Unbound buffers keep their transform; short pels are int16 little-endian.
    Image u;
    u.clientFromImageXform(kClient);
    EXPECT_EQ(store(u), header(false, kClient, xcPelRect()));
    loadInto(store(u), b);
    EXPECT_FALSE(b.isBound());
    EXPECT_EQ(b.clientFromImage(), kClient);
    xcPelBuffer<short> s(xcPelRect(1, 2, 2, 1));
    *s.pointToPel(0, 0) = -2;
    *s.pointToPel(1, 0) = 0x1234;
    expected = header(true, xcXform<2>(), xcPelRect(1, 2, 2, 1));
    for (unsigned char c : {0xFE, 0xFF, 0x34, 0x12}) expected.push_back(c);
    EXPECT_EQ(store(s), expected);
    EXPECT_TRUE(xfPelEqual(load<xcPelBuffer<short>>(expected), s));
}

TEST(PelBufferArchive, DamagedBytesThrowAndLeaveTheTargetAlone) {
    Image b(xcPelRect(0, 0, 5, 4));
    xfPelSet(b, 7);
    const Bytes good = store(b);
    Image target(xcPelRect(9, 9, 1, 1));
    *target.pointToPel(0, 0) = 99;
    for (std::size_t n = 0; n < good.size(); ++n)
        EXPECT_THROW(loadInto(Bytes(good.begin(), good.begin() + long(n)), target), xcException)
            << n;
    // A bool that is neither 0 nor 1; a negative size (of no pels); a size far beyond the bytes
    // left (refused before any allocation); a singular or non-finite transform.
    Bytes badBool = good;
    badBool[0] = 2;
    Bytes huge = header(true, xcXform<2>(), xcPelRect(0, 0, 0x7FFFFFFF, 0x7FFFFFFF));
    huge.resize(huge.size() + 100, 0);
    for (const Bytes& bad :
         {badBool, header(true, xcXform<2>(), xcPelRect(0, 0, -1, 0)), huge,
          header(false, xcXform<2>(xcMatrix<2>(1, 2, 2, 4), xcVector<2>()), xcPelRect()),
          header(false, xcXform<2>(xcMatrix<2>(), xcVector<2>(NAN, 0)), xcPelRect())})
        EXPECT_THROW(loadInto(bad, target), xcArchive::BadFormat);
    EXPECT_EQ(target.window(), xcPelRect(9, 9, 1, 1));
    EXPECT_EQ(*target.pointToPel(0, 0), 99);

    // A non-linear transform has no six numbers: refused before anything is written.
    b.imageFromClientXform(std::make_shared<xc2XformPoly2>(
        xcXform<2>(), std::array<double, 3>{0.01, 0, 0}, std::array<double, 3>{0, 0, 0}));
    xcMemoryArchive ar;
    EXPECT_THROW(ar || b, xcArchive::NotStorable);
    // Nor has a window beyond 32 bits.
    target.offset(xcPelPoint(1L << 35, 0));
    EXPECT_THROW(ar || target, xcArchive::NotStorable);
    EXPECT_TRUE(ar.bytes().empty());

    // A window with one side 0 holds no pels, so its archive is just the header; the other side
    // is as large as a window may be. The loader once looped over 2^31 empty rows here, or sized
    // a row buffer of 2^31 pels, from fewer than 70 bytes: nothing but the time (about a minute)
    // and the memory (4 GB) shows it, hence the generous bound on the processor time.
    const std::clock_t start = std::clock();
    for (const xcPelRect& w : {xcPelRect(0, 0, 0, 0x7FFFFFFF), xcPelRect(0, 0, 0x7FFFFFFF, 0)}) {
        const Bytes bytes = header(true, kClient, w);
        loadInto(bytes, target);
        EXPECT_EQ(target.window(), w);
        EXPECT_EQ(store(target), bytes);
        EXPECT_EQ(load<xcPelBuffer<short>>(bytes).window(), w);
    }
    EXPECT_LT(double(std::clock() - start) / CLOCKS_PER_SEC, 1.0);
}
