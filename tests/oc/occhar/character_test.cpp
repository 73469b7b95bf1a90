#include "oc/occhar/character.h"

#include "core/image/pel_errors.h"
#include "core/text/charcode.h"
#include "foundation/oc_defs.h"
#include "occhar_test_util.h"

namespace {

using namespace occhar_test;
using M = xcOCCharMetrics;
using Image = xcOCChar::Image;

// f must throw E with `message` and leave the character as it was.
template <class E>
void expectRefused(xcOCChar& c, const std::function<void(xcOCChar&)>& f,
                   const std::string& message) {
    const xcOCChar before(c);
    expectMessage<E>([&] { f(c); }, message);
    EXPECT_EQ(c, before);
}

bool cached(const xcOCChar& c) {
    Record r;
    c.getCharacter(r.rec, false);
    return r.rec.binarizedImageCached != 0;
}

TEST(Character, SettersCheckBeforeTheyChange) {
    xcOCChar c;
    c.image(ramp(xcPelRect(0, 0, 6, 4)));
    c.imageArea(xcPelRect(1, 1, 2, 2));
    expectRefused<xcOCDefs::BadParams>(
        c, [](xcOCChar& x) { x.threshold(-1); }, "Threshold must be >= 0.");
    c.threshold(300); // accepted; only building the binarized image refuses it
    c.hasThresholdAndInvert(true);
    c.normalizedImage(ramp(xcPelRect(0, 0, 4, 4)));
    expectRefused<xcOCDefs::BadParams>(
        c, [](xcOCChar& x) { x.binarizedImage(false); }, "threshold() > 256)");
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
    m.markRect(xcRect(0.5, 1, 2, 3)); // image (2.5, 3, 2, 3): pels (2, 3, 3, 3)
    m.isMarkRectSpecified(true);
    c.metrics(m);
    EXPECT_EQ(c.markOrImageArea(), xcPelRect(2, 3, 3, 3));
    m.rect(M::eDetectedMarkRectImage, xcPelRect(1, 1, 2, 2)); // beats the client mark
    m.isRectSpecified(M::eDetectedMarkRectImage, true);
    c.metrics(m);
    EXPECT_EQ(c.imageMarkRect().window(), xcPelRect(1, 1, 2, 2));
    m.rect(M::eMarkRectImage, xcPelRect(8, 8, 5, 5)); // beats everything; clipped
    m.isRectSpecified(M::eMarkRectImage, true);
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
    M m;
    m.cellRect(xcRect(5, 5, 4, 4));
    m.isRectSpecified(M::eCellRect, true);
    m.markRect(xcRect(5, 5, 0, 4)); // degenerate: stays
    m.isMarkRectSpecified(true);
    c.metrics(m);
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
