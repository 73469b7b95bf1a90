#include "oc/oc/model.h"

#include "core/image/pel_buffer_archive.h"
#include "core/persist/archive_geom.h"
#include "foundation/oc_defs.h"
#include "oc/oc/fixtures.h"

#include <gtest/gtest.h>

#include <limits>

using namespace oc_test;

namespace {

const char* const kMaskWindow =
    "Character mask window must be equal to the image character model window.";
const char* const kArea = "The image area must fit within the mask and image windows.";
const char* const kUnbound = "Image models must be bound for normal characters.";
const char* const kBlankImage = "Bound images are not supported for blank characters";

const xcPelRect kWindow(0, 0, 10, 12);

xcOCModel normalModel() {
    return xcOCModel(5, makeImage(kWindow), makeMask(kWindow), xcPelRect(2, 3, 4, 5),
                     xcOCModel::eNormal, "five", "the digit five");
}

} // namespace

TEST(OCModel, ConstructorsCheckTypeImageMaskAndAreaInThisOrder) {
    const Image img = makeImage(kWindow), other = makeImage(xcPelRect(0, 0, 10, 11));
    const xcPelRect far(50, 50, 1, 1);
    const auto make = [](const Image& i, const Image& m, const xcPelRect& area,
                         xcOCModel::CharType t) { xcOCModel(1, i, m, area, t, "n", ""); };
    expectThrow<xcOCDefs::BadImage>([&] { make(Image(), other, far, xcOCModel::eNormal); },
                                    kUnbound, kBadImage);
    expectThrow<xcOCDefs::NotImplemented>([&] { make(img, Image(), far, xcOCModel::eBlank); },
                                          kBlankImage, kNotImplemented);
    const Image mask = makeMask(kWindow);
    expectThrows<xcOCDefs::BadParams>(
        {{[&] { make(img, other, far, xcOCModel::eNormal); }, kMaskWindow},
         {[&] { make(img, Image(), xcPelRect(2, 3, 9, 5), xcOCModel::eNormal); }, kArea},
         {[&] { make(img, mask, xcPelRect(-1, 0, 2, 2), xcOCModel::eNormal); }, kArea}},
        kBadParams);
    // A failed setter leaves the model as it was.
    xcOCModel m = normalModel();
    const xcOCModel saved = m;
    expectThrow<xcOCDefs::BadParams>([&] { m.imageArea(xcPelRect(8, 3, 4, 5)); }, kArea,
                                     kBadParams);
    EXPECT_EQ(m, saved);
}

TEST(OCModel, EncloseRectPlacesTheAreaInTheRequestedFrame) {
    // The image's pels map to client coordinates shifted by (100, 50).
    const xcOCModel m(1, makeImage(kWindow, 1, xcXform<2>::translation({100, 50})),
                      xcPelRect(2, 3, 4, 5), xcOCModel::eNormal, "m", "");
    const xcXform<2> I;
    const xcXform<2> a = xcXform<2>::translation({10, 0});
    EXPECT_EQ(m.encloseRect(a, I, I, 0, xcRadian(0), 0), xcRect(112, 53, 4, 5));
    // c = another image's client-from-image transform: the result is in that image's pels.
    EXPECT_EQ(m.encloseRect(I, I, xcXform<2>::translation({100, 50}), 0, xcRadian(0), 0),
              xcRect(2, 3, 4, 5));
    // b cancels out of the placement: the area is mapped into b's frame and placed by a * b.
    const xcXform<2> b(xcVector<2>(3, -4), 2.0, 1.0, xcRadian(0), xcRadian(0.3));
    const xcRect viaB = m.encloseRect(a, b, I, 0, xcRadian(0), 0);
    const double want[] = {112, 53, 4, 5},
                 got[] = {viaB.x(), viaB.y(), viaB.width(), viaB.height()};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], want[i], 1e-12);
    // The same translation uncertainty in x and y.
    EXPECT_EQ(m.encloseRect(a, I, I, 1.5, xcRadian(0), 0), xcRect(110.5, 51.5, 7, 8));

    expectThrow<xcOCDefs::BadParams>([&] { m.encloseRect(I, I, I, 0, xcRadian(-0.1), 0); },
                                     "Rotation uncertainty must be >= 0", kBadParams);
}

TEST(OCModel, ArchiveWritesVersionOneFieldByField) {
    const xcPelRect w(1, 2, 2, 3);
    xcOCModel m(7, makeImage(w, 1, xcXform<2>::translation({5, 6})), makeMask(w),
                xcPelRect(1, 2, 2, 3), xcOCModel::eNormal, "A", "desc");
    const Bytes bytes = storeObject(m);
    Reader r(bytes);
    EXPECT_EQ(r.u8(), 1);  // version
    EXPECT_EQ(r.i32(), 7); // key
    // image, then mask: bound, client-from-image (a, b, c, d, tx, ty), window, pels
    for (int buffer = 0; buffer < 2; ++buffer) {
        EXPECT_EQ(r.u8(), 1);
        for (double v : {1.0, 0.0, 0.0, 1.0, buffer ? 0.0 : 5.0, buffer ? 0.0 : 6.0})
            EXPECT_EQ(r.f64(), v);
        for (int v : {1, 2, 2, 3}) EXPECT_EQ(r.i32(), v);
        for (long y = 0; y < 3; ++y)
            for (long x = 0; x < 2; ++x)
                EXPECT_EQ(r.u8(), buffer ? (x == 0 ? 0 : 255) : *m.image().pointToPel(x, y));
    }
    EXPECT_EQ(r.u32(), 0u); // charType eNormal
    EXPECT_EQ(r.str(), "A");
    EXPECT_EQ(r.str(), "desc");
    for (int v : {1, 2, 2, 3}) EXPECT_EQ(r.i32(), v); // imageArea
    EXPECT_TRUE(r.atEnd());
    xcOCModel back;
    loadObject(bytes, back);
    EXPECT_EQ(back, m);
}

TEST(OCModel, OldUnknownAndBadArchives) {
    // Version 0 has no description.
    xcMemoryArchive out;
    unsigned char version = 0;
    long key = 4;
    Image img = makeImage(kWindow), mask;
    unsigned long type = xcOCModel::eNormal;
    std::string name = "four";
    xcPelRect area(1, 1, 3, 3);
    out || version || key || img || mask || type || name || area;
    xcOCModel m = normalModel();
    loadObject(out.bytes(), m);
    EXPECT_EQ(m, xcOCModel(4, makeImage(kWindow), area, xcOCModel::eNormal, "four", ""));

    // A version above 1 names the class; a type that is no type is damage.
    Bytes bytes = storeObject(m);
    const xcOCModel saved = m;
    bytes[0] = 2;
    expectUnknownVersion(bytes, static_cast<xcPersistent&>(m), "xcOCModel", 2);
}
