// The character class and its parts: keys and their ordering, metrics, images and their mark
// rectangles.
#include "occhar_test_util.h"

namespace {

using namespace occhar_test;

TEST(CharKey, OrderingAndMatchingEdgeCases) {
    EXPECT_FALSE(K() < K());
    std::vector<K> keys = {K(0xF800),       K(65, -1), K(0xFFFF),   K(65, 1000), K(65, -5),
                           K(65, 0, -1, 7), K(65, 0),  K(65, 0, 3), K(66)};
    std::sort(keys.begin(), keys.end());
    // Font first (specified before -1), then instance (-5 before 0, -1 last), then variant;
    // the unknown code after every known one.
    const std::vector<K> expected = {K(65, 0, -1, 7), K(65, -5), K(65, 0, 3), K(65, 0), K(65, 1000),
                                     K(65, -1),       K(66),     K(0xFFFF),   K(0xF800)};
    EXPECT_EQ(keys, expected);
    // Unspecified fields match anything; unknown codes match nothing.
    for (auto [a, b, match] :
         std::vector<std::tuple<K, K, bool>>{{K(), K(), false},
                                             {K(0xF800, 1), K(0xF800, 1), false},
                                             {K(65, -1), K(65, 3), true},
                                             {K(65, 2), K(65, 3), false},
                                             {K(65, 1, -1, 4), K(65, -1, 2, 4), true},
                                             {K(65, 1, 2, 4), K(65, 1, 2, 5), false}})
        EXPECT_EQ(a.isMatch(b), match) << a.characterCode() << " " << a.instance();
}

TEST(CharKey, ArchiveVersions) {
    K k(0x1F600, 3, -1, 0x01020304);
    const Bytes b = store(k);
    // Version 1: code, instance, font, variant.
    const Bytes expected = {1, 0x00, 0xF6, 0x01, 0, 3, 0, 0, 0, 4, 3, 2, 1, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(b, expected);
    K back;
    load(b, back);
    EXPECT_EQ(back, k);
    load(Bytes{0, 66, 0, 0, 0, 7, 0, 0, 0, 8, 0, 0, 0}, back); // version 0: no variant
    EXPECT_EQ(back, K(66, 7, -1, 8));
    Bytes v2 = b;
    v2[0] = 2;
    EXPECT_THROW(load(v2, back), xcArchive::UnknownVersion);
    EXPECT_THROW(load(Bytes(b.begin(), b.end() - 1), back), xcArchive::EndOfArchive);
    EXPECT_EQ(back, K(66, 7, -1, 8)); // failed loads leave the key alone
}

int uniqueInstance(const K& key, const Keys& keys) {
    return static_cast<int>(xcOCChar::makeUniqueInstanceKey(key, keys).instance());
}

TEST(CharUniqueKey, SmallestFreeInstanceAndWholeLists) {
    const Keys keys = {K(65, 0), K(65, 1), K(65, 3), K(66, 2), K(65, -1)};
    EXPECT_EQ(uniqueInstance(K(65, -1), keys), 2);
    EXPECT_EQ(uniqueInstance(K(67, -1), keys), 0);
    // Specified and unused: unchanged however far from the others; font and variant are kept.
    EXPECT_EQ(xcOCChar::makeUniqueInstanceKey(K(65, 1000, 4, 5), keys), K(65, 1000, 4, 5));
    EXPECT_EQ(xcOCChar::makeUniqueInstanceKey(K(65, 3, 4, 5), keys), K(65, 2, 4, 5));
    EXPECT_EQ(uniqueInstance(K(70, 0), Keys{K(70, 1), K(70, 0)}), 2);
    // Repeats stay in the sorted list: [0, 0, 1] first differs from its position at 1.
    EXPECT_EQ(uniqueInstance(K(65, -1), Keys{K(65, 0), K(65, 1), K(65, 0)}), 1);
    std::vector<xcOCChar> chars(2);
    chars[0].key(K(65, 0));
    chars[1].key(K(65, 1));
    EXPECT_EQ(xcOCChar::makeUniqueInstanceKey(K(65, 1), chars).instance(), 2);

    // Whole lists.
    Keys list = {K(65, -1), K(65, -1), K(66, -1)};
    EXPECT_TRUE(xcOCChar::makeUniqueInstanceKeys(list));
    EXPECT_EQ(list, (Keys{K(65, 0), K(65, 1), K(66, 0)}));
    Keys one = {K(65, -1)}; // numbering the first key alone is no change
    EXPECT_FALSE(xcOCChar::makeUniqueInstanceKeys(one));
    EXPECT_EQ(one[0].instance(), 0);
    Keys clash = {K(65, 2), K(65, 2), K(65, 2)};
    EXPECT_TRUE(xcOCChar::makeUniqueInstanceKeys(clash));
    EXPECT_EQ(clash, (Keys{K(65, 2), K(65, 0), K(65, 1)}));
}

TEST(CharMetrics, ImageRectanglesInFixedPoint) {
    M m = with(M(), M::eCellRectImage, xcRect(0.25, -0.5, 1.0 / 65536, 2.75));
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
    M again; // the dropped bits are not kept inside either
    again.setMetrics(rec);
    EXPECT_EQ(again, m);
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

using Image = xcOCChar::Image;

bool cached(const xcOCChar& c) {
    Record r;
    c.getCharacter(r.rec, false);
    return r.rec.binarizedImageCached != 0;
}

TEST(Character, BinarizedImageAndItsCache) {
    xcOCChar c;
    c.normalizedImage(makeImage(xcPelRect(0, 0, 4, 1), [](long x, long) {
        return std::array<int, 4>{0, 99, 100, 255}[std::size_t(x)];
    }));
    expectMessage<xcOCDefs::ThresholdAndInvertNotSpecified>([&] { c.binarizedImage(false); }, "");
    c.hasThresholdAndInvert(true);
    auto row = [&](long t, bool invert) {
        c.threshold(t);
        c.invert(invert);
        const Image b = c.binarizedImage(false);
        return std::array<int, 4>{pel(b, 0, 0), pel(b, 1, 0), pel(b, 2, 0), pel(b, 3, 0)};
    };
    EXPECT_EQ(row(100, false), (std::array<int, 4>{0, 0, 255, 255}));
    EXPECT_EQ(row(100, true), (std::array<int, 4>{255, 255, 0, 0}));
    EXPECT_EQ(row(0, false), (std::array<int, 4>{255, 255, 255, 255}));
    EXPECT_EQ(row(256, false), (std::array<int, 4>{0, 0, 0, 0}));
    // Unchanged values keep the cache; other changes drop it.
    c.threshold(256);
    c.invert(false);
    EXPECT_TRUE(cached(c));
    c.invert(true);
    EXPECT_FALSE(cached(c));
    xcOCChar u; // an unbound normalized image builds no cache
    u.hasThresholdAndInvert(true);
    EXPECT_FALSE(u.binarizedImage(true).isBound());
    EXPECT_FALSE(cached(u));
    // Setters check before they change: a negative threshold is refused, one above 256 is
    // accepted and refused only when the binarized image is built.
    const xcOCChar before = c;
    expectMessage<xcOCDefs::BadParams>([&] { c.threshold(-1); }, "Threshold must be >= 0.");
    EXPECT_EQ(c, before);
    c.threshold(300);
    const xcOCChar at300 = c;
    expectMessage<xcOCDefs::BadParams>([&] { c.binarizedImage(false); }, "threshold() > 256)");
    EXPECT_EQ(c, at300);
}

TEST(Character, ImagesWindowedToTheImageArea) {
    xcOCChar c;
    c.image(ramp(xcPelRect(0, 0, 10, 8)));
    expectMessage<xcOCDefs::BadParams>([&] { c.image(true); }, "imageArea cannot be null");
    c.imageArea(xcPelRect(8, 2, 4, 2));
    expectMessage<xcOCDefs::BadParams>([&] { c.image(true); }, "image does not contain imageArea");
    EXPECT_EQ(c.image(false).window(), xcPelRect(0, 0, 10, 8));
    c.imageArea(xcPelRect(2, 3, 4, 2));
    const Image a = c.image(true);
    EXPECT_EQ(a.window(), xcPelRect(2, 3, 4, 2));
    EXPECT_EQ(pel(a, 2, 3), 3 * 2 + 7 * 3);
    EXPECT_TRUE(a.sharesRoot(c.image(false)));
}

TEST(Character, RootCopyRule) {
    xcPelBuffer<unsigned char> src = ramp(xcPelRect(0, 0, 12, 10));
    src.clientFromImageXform(xcXform<2>(xcMatrix<2>(2, 0, 0, 2), xcVector<2>(5, 0)));
    src.window(xcPelRect(3, 2, 4, 5));
    xcOCChar c;
    c.image(src, xcPelRect(1, 1, 8, 7));
    c.mask(src);
    Image stored = c.image(false);
    EXPECT_EQ(stored.window(), xcPelRect(3, 2, 4, 5));
    EXPECT_EQ(stored.clientFromImage(), src.clientFromImage());
    stored.setEntire(); // the surrounding region was copied too
    EXPECT_EQ(stored.window(), xcPelRect(1, 1, 8, 7));
    EXPECT_EQ(pel(stored, 1, 1), 3 + 7);
    *src.pointToPel(0, 0) = 200; // the copies are private
    EXPECT_EQ(pel(c.image(false), 3, 2), 9 + 14);
    EXPECT_EQ(pel(c.mask(false), 3, 2), 9 + 14);
}

TEST(Character, MarkRectangles) {
    xcPelBuffer<unsigned char> img = ramp(xcPelRect(0, 0, 10, 10));
    img.imageFromClientXform(xcXform<2>::translation(xcVector<2>(2, 2)));
    xcOCChar c;
    c.image(img);
    M m;
    c.metrics(m);
    EXPECT_THROW(c.imageMarkRect(), xcOCDefs::RectNotSpecified);
    EXPECT_EQ(c.markOrImageArea(), xcPelRect());
    m = with(m, M::eMarkRect, xcRect(0.5, 1, 2, 3)); // image (2.5, 3, 2, 3): pels (2, 3, 3, 3)
    c.metrics(m);
    EXPECT_EQ(c.markOrImageArea(), xcPelRect(2, 3, 3, 3));
    m = with(m, M::eDetectedMarkRectImage, xcRect(1, 1, 2, 2)); // beats the client mark
    c.metrics(m);
    EXPECT_EQ(c.imageMarkRect().window(), xcPelRect(1, 1, 2, 2));
    m = with(m, M::eMarkRectImage, xcRect(8, 8, 5, 5)); // beats everything; clipped
    c.metrics(m);
    EXPECT_EQ(c.imageMarkRect().window(), xcPelRect(8, 8, 2, 2));
    xcOCChar unbound; // non-blank mark on an unbound image: the unbound window passes through
    unbound.metrics(m);
    EXPECT_THROW(unbound.markOrImageArea(), xcPel::UnboundWindow);
}

TEST(Character, MoveOrigin) {
    xcPelBuffer<unsigned char> img = ramp(xcPelRect(0, 0, 20, 20));
    img.imageFromClientXform(xcXform<2>(xcMatrix<2>(2, 0, 0, 2), xcVector<2>(1, 0)));
    xcOCChar c;
    c.image(img);
    c.mask(img);
    c.normalizedImage(img);
    // The degenerate mark rectangle stays.
    c.metrics(with(with(M(), M::eCellRect, xcRect(5, 5, 4, 4)), M::eMarkRect, xcRect(5, 5, 0, 4)));
    const xcXform<2> old = c.image(false).imageFromClient();
    c.moveOrigin(xcVector<2>(3, 4));
    const xcXform<2> now = c.image(false).imageFromClient();
    // The new client origin lies at the old client point (3, 4).
    EXPECT_EQ(now.mapPoint(xcVector<2>(1, 1)), old.mapPoint(xcVector<2>(4, 5)));
    EXPECT_EQ(c.mask(false).imageFromClient(), now);
    EXPECT_EQ(c.normalizedImage(false).imageFromClient(), old);
    EXPECT_EQ(c.metrics().cellRect(), xcRect(2, 1, 4, 4));
    EXPECT_EQ(c.metrics().markRect(), xcRect(5, 5, 0, 4));
}

} // namespace
