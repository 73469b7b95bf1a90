// The character class and its parts: keys and their ordering, metrics, the conversion to and from
// the C record, images and their mark rectangles, archives and diagnostics.
#include "oc/occhar/char_diag.h"
#include "oc/occhar/char_key.h"
#include "oc/occhar/char_metrics.h"
#include "oc/occhar/character.h"

#include "core/geom/xform_base.h"
#include "core/image/pel_errors.h"
#include "core/image/pel_ops.h"
#include "core/text/charcode.h"
#include "diag/diag_object.h"
#include "foundation/oc_defs.h"
#include "oc/oc/fixtures.h"
#include "occore/xc_image.h"
#include "occore/xoc_char.h"
#include "support/archive_damage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <tuple>

namespace {

using M = xcOCCharMetrics;
// Archive bytes, their field reader and round trips are the expected-text model tests' own.
using oc_test::Bytes;
using oc_test::load;
using oc_test::Reader;
using oc_test::store;

// f must throw E with exactly `message`.
template <class E>
void expectMessage(const std::function<void()>& f, const std::string& message) {
    EXPECT_EQ(caught<E>(f).message(), message);
}

// A record made by xoc_char_construct and released at the end of the scope.
struct Record {
    Record() { xoc_char_construct(&rec); }
    ~Record() { xoc_char_destruct(&rec); }
    xoc_char rec;
};

// A new image over `window` whose pel at image coordinates (x, y) is f(x, y).
template <class F>
xcPelBuffer<unsigned char> makeImage(const xcPelRect& window, F f) {
    xcPelBuffer<unsigned char> img(window);
    for (long y = 0; y < window.height(); ++y)
        for (long x = 0; x < window.width(); ++x)
            *img.pointToPel(x, y) = static_cast<unsigned char>(f(window.x() + x, window.y() + y));
    return img;
}

xcPelBuffer<unsigned char> ramp(const xcPelRect& window) { // (3 x + 7 y) mod 256
    return makeImage(window, [](long x, long y) { return (3 * x + 7 * y) % 256; });
}

// The pel at image coordinates (x, y).
int pel(const xcPelBuffer_const<unsigned char>& img, long x, long y) {
    return *img.pointToPel(x - img.window().x(), y - img.window().y());
}

using K = xcOCCharKey;
using Keys = std::vector<K>;

TEST(CharKey, OrderingEdgeCases) {
    EXPECT_FALSE(K() < K());
    std::vector<K> keys = {K(0xF800),       K(65, -1), K(0xFFFF),   K(65, 1000), K(65, -5),
                           K(65, 0, -1, 7), K(65, 0),  K(65, 0, 3), K(66)};
    std::sort(keys.begin(), keys.end());
    // Font first (specified before -1), then instance (-5 before 0, -1 last), then variant;
    // the unknown code after every known one.
    const std::vector<K> expected = {K(65, 0, -1, 7), K(65, -5), K(65, 0, 3), K(65, 0), K(65, 1000),
                                     K(65, -1),       K(66),     K(0xFFFF),   K(0xF800)};
    EXPECT_EQ(keys, expected);
}

TEST(CharKey, MatchingEdgeCases) {
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

// Grey 30 with a bright 4 x 3 mark at (5, 4), in an image at offset (2, 1).
xcPelBuffer<unsigned char> markImage() {
    return makeImage(xcPelRect(2, 1, 12, 10), [](long x, long y) {
        return (x >= 5 && x < 9 && y >= 4 && y < 7) ? 220 : 30;
    });
}

xcOCChar richCharacter() {
    xcOCChar c;
    c.key(xcOCCharKey(0x1F600, 2, 3, 4));
    c.polarity(xcOCDefs::eLightOnDark);
    xcPelBuffer<unsigned char> img = markImage();
    img.clientFromImageXform(xcXform<2>::translation(xcVector<2>(-2, -1)));
    img.window(xcPelRect(3, 2, 9, 7));
    c.image(img, xcPelRect(2, 1, 12, 10));
    c.mask(makeImage(xcPelRect(3, 2, 9, 7), [](long x, long) { return x < 6 ? 255 : 0; }));
    c.normalizedImage(markImage());
    c.hasThresholdAndInvert(true);
    c.binarizedImage(false);
    c.imageArea(xcPelRect(4, 3, 6, 5));
    M m = c.metrics();
    m.markRect(xcRect(3, 3, 4, 3));
    m.rect(M::eMarkRectImage, xcPelRect(5, 4, 4, 3));
    m.hasDetectedMarkRect(true);
    m.advance(xcVector<2>(9.5, 0));
    m.isAdvanceSpecified(true);
    c.metrics(m);
    c.name32(xcOCChar::String32{0x1F600, 0x21});
    c.description("smile \xE9");
    return c;
}

TEST(CharRecord, GetThenSetGivesAnEqualCharacter) {
    const xcOCChar c = richCharacter();
    Record r;
    for (bool copy : {false, true}) {
        c.getCharacter(r.rec, copy); // refilling releases what the record held
        EXPECT_EQ(r.rec.polarity, xoc_charPolarityLightOnDark);
        EXPECT_EQ(r.rec.metrics.markRectImage.x, 5 << 16);
        EXPECT_STREQ(r.rec.name, "");
        EXPECT_STREQ(r.rec.description, "smile \xE9");
        EXPECT_EQ(xfConvertImage(r.rec.image).sharesRoot(c.image(false)), !copy);
        xcOCChar d;
        d.setCharacter(r.rec, copy);
        EXPECT_EQ(d, c) << "copy " << copy;
        EXPECT_EQ(d.image(false).clientFromImage(), c.image(false).clientFromImage());
        EXPECT_EQ(d.image(false).sharesRoot(c.image(false)), !copy);
        EXPECT_TRUE(d.metrics().hasDetectedMarkRect()); // taken as it is
    }
}

// The two computations the character leaves to the C library: the normalized image with its
// threshold set in one step (a threshold beyond 32 bits is still refused), and the binarized
// image cut to the mark rectangle.
TEST(CharRecord, ComputationsOfTheCLibrary) {
    xcOCChar c;
    c.normalizedImage(markImage(), true, 220, false, xcPelRect());
    EXPECT_EQ(c.threshold(), 220);
    c.metrics(with(M(), M::eMarkRectImage, xcRect(4, 3, 3, 2)));
    const Image cut = c.binarizedImageMarkRect();
    EXPECT_EQ(cut.window(), xcPelRect(4, 3, 3, 2));
    EXPECT_EQ(pel(cut, 4, 3) + pel(cut, 5, 4), 0 + 255); // 30 lies below 220, 220 does not
    const xcOCChar before = c;
    expectMessage<xcOCDefs::BadParams>(
        [&] { c.normalizedImage(markImage(), true, 1L << 40, false, xcPelRect()); },
        "Threshold must be between 0 and 256 inclusive");
    EXPECT_THROW(xcOCChar().binarizedImageMarkRect(), xcOCDefs::ThresholdAndInvertNotSpecified);
    expectMessage<xcOCDefs::BadParams>(
        [&] { c.normalizedImage(markImage(), true, 100, false, xcPelRect(5, 5, 2, 2)); },
        "Root copy rect does not contain image window");
    EXPECT_EQ(c, before);
}

TEST(CharRecord, RecordOutlivesTheCharacter) {
    Record r;
    {
        xcOCChar c;
        c.image(markImage());
        c.name("gone");
        c.getCharacter(r.rec, false);
    }
    // The character's handles are gone; the record holds its own (ASan checks the reads).
    xcOCChar back;
    back.setCharacter(r.rec, false);
    EXPECT_TRUE(xfPelEqual(back.image(false), markImage()));
    EXPECT_EQ(back.name(), "gone");
}

xcOCChar sample() {
    xcOCChar c;
    c.key(xcOCCharKey(65, 1, 2, 3));
    c.polarity(xcOCDefs::eLightOnDark);
    c.image(makeImage(xcPelRect(4, 5, 2, 1), [](long x, long) { return x == 4 ? 17 : 250; }));
    c.hasThresholdAndInvert(true);
    c.threshold(100);
    c.invert(true);
    c.imageArea(xcPelRect(4, 5, 2, 1));
    c.name("AB");
    return c;
}

TEST(CharArchive, LayoutFieldByField) {
    xcOCChar c = sample();
    const Bytes b = store(c);
    Reader r(b);
    auto identity = [&r] {
        for (double v : {1, 0, 0, 1, 0, 0}) EXPECT_EQ(r.f64(), v);
    };
    EXPECT_EQ(r.u8(), 1);
    EXPECT_EQ(r.u8(), 1); // key: version, code, instance, font, variant
    for (uint32_t v : {65u, 1u, 3u, 2u}) EXPECT_EQ(r.u32(), v);
    EXPECT_EQ(r.u32(), 2u); // polarity
    EXPECT_EQ(r.u8(), 1);   // image: bound, transform, window, pels
    identity();
    for (int32_t v : {4, 5, 2, 1}) EXPECT_EQ(r.i32(), v);
    EXPECT_EQ(r.u8(), 17);
    EXPECT_EQ(r.u8(), 250);
    for (int i = 0; i < 2; ++i) { // mask and normalized image, unbound
        EXPECT_EQ(r.u8(), 0);
        identity();
    }
    EXPECT_EQ(r.u8(), 0); // binarizedImageCached, then the binarized image
    EXPECT_EQ(r.u8(), 0);
    identity();
    EXPECT_EQ(r.u8(), 1); // hasThresholdAndInvert, threshold, invert
    EXPECT_EQ(r.i32(), 100);
    EXPECT_EQ(r.u8(), 1);
    for (int32_t v : {4, 5, 2, 1}) EXPECT_EQ(r.i32(), v);
    EXPECT_EQ(r.u8(), 1); // metrics: blank, less the detected mark that the image dropped
    EXPECT_EQ(r.u32(), 44u);
    r.skip(1 + 48 + 4 + 96 + 16);
    for (uint32_t v : {2u, uint32_t('A'), uint32_t('B'), 0u}) EXPECT_EQ(r.u32(), v); // 32-bit
    EXPECT_EQ(r.u32(), 2u);
    EXPECT_EQ(r.u8(), 'A');
    EXPECT_EQ(r.u8(), 'B');
    EXPECT_EQ(r.u32(), 0u);
    EXPECT_TRUE(r.atEnd());
}

TEST(CharArchive, RoundTripAndRefusals) {
    xcOCChar c = richCharacter(); // its binarized cache is archived too
    xcOCChar back;
    const Bytes good = store(c);
    load(good, back);
    EXPECT_EQ(back, c);

    xcOCChar target;
    target.name("untouched");
    const xcOCChar before = target;
    for (unsigned char v : {0, 2, 255}) {
        Bytes bad = good;
        bad[0] = v;
        EXPECT_THROW(load(bad, target), xcArchive::UnknownVersion);
    }
    Bytes badPolarity = good;
    badPolarity[18] = 3; // after the version (1) and the key (17)
    expectMessage<xcOCDefs::BadParams>([&] { load(badPolarity, target); }, "Illegal polarity");
    EXPECT_EQ(target, before);
}

TEST(CharArchive, DamagedArchivesLeaveTheCharacterNew) {
    xcOCChar c = sample();
    c.normalizedImage(ramp(xcPelRect(0, 0, 3, 3)));
    oc_test::expectDamageRefused(store(c), [](const Bytes& data) {
        xcOCChar t;
        try {
            xcMemoryArchive ar(data);
            ar || t;
        } catch (const xcException&) {
            EXPECT_EQ(t, xcOCChar());
            throw;
        }
    });
}

// The rectangles and colours of a record's one graphics list, with its coordinate system.
std::vector<std::pair<xcRect, xcColor>> drawn(const xcDiagRecord& r, long& system) {
    EXPECT_EQ(r.graphics().size(), 1u);
    const xcDiagGraphics& g = r.graphics().at(0);
    EXPECT_EQ(g.title(), "rect(s)");
    system = g.coordinateSystem();
    std::vector<std::pair<xcRect, xcColor>> out;
    for (long i = 0; i < g.list().size(); ++i) {
        const xcGraphicRect* rect = g.list().get<xcGraphicRect>(i);
        EXPECT_FALSE(rect->fill());
        out.emplace_back(rect->rect(), rect->props().color());
    }
    return out;
}

TEST(CharDiag, RecordsOfCharacters) {
    xcDiagObject diag;
    xcOCChar c;
    c.image(ramp(xcPelRect(0, 0, 8, 6)));
    c.imageArea(xcPelRect(1, 1, 2, 2)); // not applied to the recorded image
    c.name("A");
    c.key(xcOCCharKey(65, 2));
    xcDiagRecord* rec = xf_AddOCChar(&diag, c, "char A");
    EXPECT_EQ(rec->texts()[0].body(), "Name : A\nCharacter code : 65\nInstance : 2\nVariant : -1\n"
                                      "FontID : -1\nPolarity : 4\n");
    // Blank metrics: one green empty mark in each list, so the image list (system 1) is drawn.
    long system = 0;
    const auto green = xcColor(xcColor::eGreen), orange = xcColor(xcColor::eOrange);
    EXPECT_EQ(drawn(*rec, system), (std::vector<std::pair<xcRect, xcColor>>{{xcRect(), green}}));
    EXPECT_EQ(system, 1);

    // A name without an 8-bit form leaves its line out; client rectangles outnumber image ones.
    c.name32(xcOCChar::String32{0x1F600});
    c.polarity(xcOCDefs::eDarkOnLight);
    M m = with(with(M(), M::eMarkRect, xcRect(1, 2, 3, 4)), M::eCellRect, xcRect(0, 0, 5, 8));
    m.hasDetectedMarkRect(true); // never drawn
    c.metrics(m);
    rec = xf_AddOCChar(&diag, c, "client");
    EXPECT_EQ(rec->texts()[0].body(), "Character code : 65\nInstance : 2\nVariant : -1\n"
                                      "FontID : -1\nPolarity : 1\n");
    EXPECT_EQ(drawn(*rec, system), (std::vector<std::pair<xcRect, xcColor>>{
                                       {xcRect(1, 2, 3, 4), green}, {xcRect(0, 0, 5, 8), orange}}));
    EXPECT_EQ(system, 2);
    EXPECT_EQ(xf_OCCharKeyText(xcOCCharKey()),
              "Character code : 63488\nInstance : -1\nVariant : -1\nFontID : -1\n");
    EXPECT_EQ(xf_OCCharKeyText(xcOCCharKey(0xFFFFFFFFul, 7, -5, 0)),
              "Character code : 4294967295\nInstance : 7\nVariant : -5\nFontID : 0\n");
}

} // namespace
