#include "oc/occhar/char_metrics.h"

#include "core/geom/xform_base.h"
#include "foundation/oc_defs.h"
#include "occhar_test_util.h"

#include <cmath>

namespace {

using namespace occhar_test;
using M = xcOCCharMetrics;

// The metrics with rectangle r of `type` stored and specified.
M with(M m, M::RectType type, const xcRect& r) {
    m.rect(type, r);
    m.isRectSpecified(type, true);
    return m;
}

TEST(CharMetrics, ImageRectanglesInFixedPoint) {
    M m = with(M(), M::eMarkRectImage, xfToRect(xcPelRect(1, 2, 3, 4)));
    xoc_charMetrics rec{};
    m.getMetrics(rec);
    EXPECT_EQ(rec.markRectImage.height, 4 << 16);
    m = with(m, M::eCellRectImage, xcRect(0.25, -0.5, 1.0 / 65536, 2.75));
    EXPECT_EQ(m.rect(M::eCellRectImage), xcRect(0.25, -0.5, 1.0 / 65536, 2.75));
    EXPECT_EQ(m.encloseRect(M::eCellRectImage), xcPelRect(0, -1, 1, 4));
    const M before = m;
    expectMessage<xcOCDefs::IntegerOverflow>(
        [&] { m.rect(M::eMarkRectImage, xcRect(32768, 0, 1, 1)); },
        "Value overflows fixed point value range");
    expectMessage<xcOCDefs::IntegerOverflow>(
        [&] { m.rect(M::eMarkRectImage, xcRect(20000, 0, 20000, 1)); },
        "Value overflows integer value range");
    EXPECT_EQ(m, before);
}

TEST(CharMetrics, EnclosingPelRectangles) {
    M m = with(M(), M::eCellRect, xcRect(1.5, 2.0, 3.0, 1.0));
    // x' = 2x + 10, y' = y - 1; and a quarter turn (x, y) -> (-y, x).
    const xcXform<2> ifc(xcMatrix<2>(2, 0, 0, 1), xcVector<2>(10, -1));
    EXPECT_EQ(m.encloseRectImage(M::eCellRect, ifc), xcPelRect(13, 1, 6, 1));
    EXPECT_EQ(m.encloseRectImage(M::eCellRect, xcXform<2>(xcMatrix<2>(0, -1, 1, 0), {})),
              xcPelRect(-3, 1, 1, 4));
    xcPelBuffer<unsigned char> img(xcPelRect(0, 0, 4, 4));
    img.imageFromClientXform(std::make_shared<xc2XformPoly2>(
        xcXform<2>(), std::array<double, 3>{0.001, 0, 0}, std::array<double, 3>{0, 0, 0}));
    for (auto f : {std::function<void()>([&] { m.encloseRectImage(M::eCellRect, img); }),
                   std::function<void()>([&] { m.setImageRectsFromClientRects(img); })})
        expectMessage<xcOCDefs::BadParams>(f, "image must have a linear imageFromClient transform");
    // Integer range: lr.x = 2147483647 fits, 2147483647.5 and NaN do not.
    m.cellRect(xcRect(-2147483648.0, 0, 4294967295.0, 1));
    EXPECT_EQ(m.encloseRect(M::eCellRect), xcPelRect(-2147483648L, 0, 4294967295L, 1));
    for (double w : {4294967295.5, std::nan("")}) {
        m.cellRect(xcRect(-2147483648.0, 0, w, 1));
        expectMessage<xcOCDefs::IntegerOverflow>([&] { m.encloseRect(M::eCellRect); },
                                                 "Value overflows integer value range");
    }
}

TEST(CharMetrics, ImageRectsFromClientRects) {
    M m = with(with(M(), M::eCellRect, xcRect(0, 0, 8, 10)), M::eMarkRect, xcRect(1.25, 2, 3, 4));
    m = with(m, M::eDetectedMarkRectImage, xcRect(7, 7, 1, 1));
    const M before = m;
    // Corners beyond 2147483647, or beyond the fixed-point range: nothing is stored.
    EXPECT_THROW(m.setImageRectsFromClientRects(xcXform<2>(xcMatrix<2>(1e9, 0, 0, 1), {})),
                 xcOCDefs::IntegerOverflow);
    EXPECT_THROW(m.setImageRectsFromClientRects(xcXform<2>(xcMatrix<2>(1, 0, 0, 1e4), {})),
                 xcOCDefs::IntegerOverflow);
    EXPECT_EQ(m, before);
    m.setImageRectsFromClientRects(xcXform<2>(xcMatrix<2>(0.5, 0, 0, 0.5), xcVector<2>(1, 1)));
    // The bounding box itself, not its enclosing pel rectangle.
    EXPECT_EQ(m.rect(M::eCellRectImage), xcRect(1, 1, 4, 5));
    EXPECT_EQ(m.rect(M::eMarkRectImage), xcRect(1.625, 2, 1.5, 2));
    // No client detected mark: its image rectangle keeps its value but becomes unspecified.
    EXPECT_FALSE(m.isRectSpecified(M::eDetectedMarkRectImage));
    m.isRectSpecified(M::eDetectedMarkRectImage, true);
    EXPECT_EQ(m.rect(M::eDetectedMarkRectImage), xcRect(7, 7, 1, 1));
}

TEST(CharMetrics, Blankness) {
    M m = with(M(), M::eCellRect, xcRect(1, 1, 1, 1));
    m.markRect(xcRect(1, 1, 5, 5));
    m.makeBlank();
    EXPECT_TRUE(m.isBlank());
    EXPECT_EQ(m.cellRect(), xcRect(1, 1, 1, 1)); // cell rectangles and the advance stay
    EXPECT_EQ(m.markRect(), xcRect());
    M n = with(M(), M::eMarkRect, xcRect(0, 0, 2, 2));
    EXPECT_FALSE(n.isBlank());
    n = with(n, M::eMarkRectImage, xcRect(0, 0, 0, 2));
    EXPECT_THROW(n.isBlank(), xcOCDefs::MetricNotSpecified);
    n.isMarkRectSpecified(false);
    EXPECT_TRUE(n.isBlank());
}

TEST(CharMetrics, RecordExchange) {
    xoc_charMetrics rec;
    std::memset(&rec, 0, sizeof rec);
    rec.specifiedRects = 0xFFFFFFC0u | 1u | 8u; // bits above 32 are dropped
    rec.advanceSpecified = 7;
    rec.markRectImage = xoc_rect32{-1, 2, 3, 4};
    rec.fractionBits = 8;
    rec.cellRect = xoc_rectD{0.5, 1.5, 2.5, 3.5};
    rec.advanceY = 2;
    M m;
    m.setMetrics(rec);
    EXPECT_TRUE(m.isAdvanceSpecified());
    EXPECT_EQ(m.rect(M::eMarkRectImage), xcRect(-1.0 / 256, 2.0 / 256, 3.0 / 256, 4.0 / 256));
    EXPECT_EQ(m.cellRect(), xcRect(0.5, 1.5, 2.5, 3.5));
    xoc_charMetrics out;
    std::memset(&out, 0x5A, sizeof out);
    m.getMetrics(out);
    EXPECT_EQ(out.specifiedRects, 9u);
    EXPECT_EQ(out.advanceSpecified, 1);
    out.unused60_ = rec.unused60_ = 0x5A5A5A5A; // the gap is left as it was
    rec.specifiedRects = 9;
    rec.advanceSpecified = 1;
    EXPECT_EQ(std::memcmp(&out, &rec, sizeof out), 0);
}

TEST(CharMetrics, Archive) {
    M m = with(M::blankMetrics(), M::eCellRect, xcRect(1, 2, 3, 4));
    m.rect(M::eCellRectImage, xcPelRect(1, 0, 2, 0));
    m.advance(xcVector<2>(7.5, -1));
    m.isAdvanceSpecified(true);
    const Bytes b = store(m);
    Reader r(b);
    EXPECT_EQ(r.u8(), 1);
    EXPECT_EQ(r.u32(), 61u);
    EXPECT_EQ(r.u8(), 1);
    for (int32_t v : {1 << 16, 0, 2 << 16, 0, 0, 0, 0, 0, 0, 0, 0, 0}) EXPECT_EQ(r.i32(), v);
    EXPECT_EQ(r.i32(), 16);
    for (double v : {1.0, 2.0, 3.0, 4.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 7.5, -1.0})
        EXPECT_EQ(r.f64(), v);
    EXPECT_TRUE(r.atEnd());
    M back;
    load(b, back);
    EXPECT_EQ(back, m);
    Bytes bad = b; // only version 1 is read
    bad[0] = 2;
    EXPECT_THROW(load(bad, back), xcArchive::UnknownVersion);
}

} // namespace
