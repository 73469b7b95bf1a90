#include "oc/oc/model.h"

#include "core/image/pel_buffer_archive.h"
#include "core/persist/archive_geom.h"
#include "foundation/oc_defs.h"
#include "oc/oc/fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace oc_test;

namespace {

const char* const kMaskWindow =
    "Character mask window must be equal to the image character model window.";
const char* const kArea = "The image area must fit within the mask and image windows.";

const xcPelRect kWindow(0, 0, 10, 12);

xcOCModel normalModel() {
    return xcOCModel(5, makeImage(kWindow), makeMask(kWindow), xcPelRect(2, 3, 4, 5),
                     xcOCModel::eNormal, "five", "the digit five");
}

} // namespace

TEST(OCModel, ConstructorsCheckTypeImageMaskAndAreaInThisOrder) {
    const xcOCModel def;
    EXPECT_EQ(def.key(), -1);
    EXPECT_EQ(def.charType(), xcOCModel::eBlank);
    EXPECT_FALSE(def.image().isBound());
    EXPECT_FALSE(def.mask().isBound());
    EXPECT_EQ(def.imageArea(), xcPelRect());

    const Image img = makeImage(kWindow), other = makeImage(xcPelRect(0, 0, 10, 11));
    // A normal character needs an image, before anything else is looked at.
    expectThrow<xcOCDefs::BadImage>(
        [&] { xcOCModel(1, Image(), other, xcPelRect(50, 50, 1, 1), xcOCModel::eNormal, "n", ""); },
        "Image models must be bound for normal characters.", kBadImage);
    expectThrow<xcOCDefs::NotImplemented>(
        [&] { xcOCModel(1, img, xcPelRect(50, 50, 1, 1), xcOCModel::eBlank, "b", ""); },
        "Bound images are not supported for blank characters", kNotImplemented);
    // The mask window comes before the area.
    expectThrow<xcOCDefs::BadParams>(
        [&] { xcOCModel(1, img, other, xcPelRect(50, 50, 1, 1), xcOCModel::eNormal, "n", ""); },
        kMaskWindow, kBadParams);
    expectThrow<xcOCDefs::BadParams>(
        [&] { xcOCModel(1, img, xcPelRect(2, 3, 9, 5), xcOCModel::eNormal, "n", ""); }, kArea,
        kBadParams);
    // The area is checked against the mask too (same window, so the same answer).
    expectThrow<xcOCDefs::BadParams>(
        [&] {
            xcOCModel(1, img, makeMask(kWindow), xcPelRect(-1, 0, 2, 2), xcOCModel::eNormal, "n",
                      "");
        },
        kArea, kBadParams);

    const xcOCModel m = normalModel();
    EXPECT_EQ(m.key(), 5);
    EXPECT_EQ(m.charType(), xcOCModel::eNormal);
    EXPECT_EQ(m.name(), "five");
    EXPECT_EQ(m.description(), "the digit five");
    EXPECT_EQ(m.imageArea(), xcPelRect(2, 3, 4, 5));
    EXPECT_EQ(m.image().window(), kWindow);
    EXPECT_TRUE(m.mask().isBound());
    // A blank model without buffers takes any area.
    const xcOCModel b(3, Image(), xcPelRect(-100, 7, 1000, 2), xcOCModel::eBlank, "space", "");
    EXPECT_EQ(b.imageArea(), xcPelRect(-100, 7, 1000, 2));
}

TEST(OCModel, FailedSettersLeaveTheModelAsItWas) {
    xcOCModel m = normalModel();
    const xcOCModel saved = m;
    const Image narrow = makeImage(xcPelRect(0, 0, 8, 12), 3);

    expectThrow<xcOCDefs::BadParams>([&] { m.image(narrow); }, kMaskWindow, kBadParams);
    EXPECT_EQ(m, saved);
    expectThrow<xcOCDefs::BadParams>([&] { m.mask(makeMask(xcPelRect(0, 0, 8, 12))); }, kMaskWindow,
                                     kBadParams);
    EXPECT_EQ(m, saved);
    expectThrow<xcOCDefs::BadImage>([&] { m.model(Image(), Image()); },
                                    "Image models must be bound for normal characters.", kBadImage);
    EXPECT_EQ(m, saved);
    expectThrow<xcOCDefs::BadParams>([&] { m.imageArea(xcPelRect(8, 3, 4, 5)); }, kArea,
                                     kBadParams);
    EXPECT_EQ(m, saved);
    // An image whose window does not hold the current area fails the area check.
    expectThrow<xcOCDefs::BadParams>([&] { m.model(makeImage(xcPelRect(0, 0, 4, 4)), Image()); },
                                     kArea, kBadParams);
    EXPECT_EQ(m, saved);

    xcOCModel blankModel(3, Image(), xcPelRect(0, 0, 6, 12), xcOCModel::eBlank, "space", "");
    const xcOCModel savedBlank = blankModel;
    expectThrow<xcOCDefs::NotImplemented>([&] { blankModel.image(makeImage(kWindow)); },
                                          "Bound images are not supported for blank characters",
                                          kNotImplemented);
    EXPECT_EQ(blankModel, savedBlank);
    blankModel.imageArea(xcPelRect(-5, -5, 500, 500));
    EXPECT_EQ(blankModel.imageArea(), xcPelRect(-5, -5, 500, 500));

    // Successful changes.
    m.mask(Image());
    EXPECT_FALSE(m.mask().isBound());
    m.image(narrow);
    EXPECT_EQ(m.image().window(), narrow.window());
    m.imageArea(xcPelRect(0, 0, 8, 12));
    m.key(9);
    m.name("nine");
    m.description("");
    EXPECT_EQ(m.key(), 9);
    EXPECT_EQ(m.name(), "nine");
    EXPECT_EQ(m.imageArea(), xcPelRect(0, 0, 8, 12));
}

TEST(OCModel, EqualityComparesBuffersByWindowTransformAndPels) {
    EXPECT_EQ(xcOCModel(), xcOCModel());
    const xcOCModel m = normalModel();
    EXPECT_EQ(m, xcOCModel(m));
    // Equal pels in another root are equal.
    EXPECT_EQ(m, normalModel());

    xcOCModel noMask = m;
    noMask.mask(Image());
    EXPECT_NE(m, noMask);
    EXPECT_NE(noMask, m);

    xcOCModel otherPels = m;
    otherPels.image(makeImage(kWindow, 2));
    EXPECT_NE(m, otherPels);

    xcOCModel otherName = m;
    otherName.description("x");
    EXPECT_NE(m, otherName);

    // Transforms: exact for ==, within the tolerance for xfRealEq.
    xcOCModel moved = m;
    moved.image(makeImage(kWindow, 1, xcXform<2>::translation({1e-9, 0})));
    EXPECT_NE(m, moved);
    EXPECT_TRUE(xfRealEq(m, moved, 1e-8));
    EXPECT_FALSE(xfRealEq(m, moved, 1e-10));
    EXPECT_FALSE(xfRealEq(m, otherPels, 1.0));
    EXPECT_FALSE(xfRealEq(m, noMask, 1.0));
}

TEST(OCModel, EncloseRectPlacesTheAreaInTheRequestedFrame) {
    // The image's pels map to client coordinates shifted by (100, 50).
    const xcOCModel m(1, makeImage(kWindow, 1, xcXform<2>::translation({100, 50})),
                      xcPelRect(2, 3, 4, 5), xcOCModel::eNormal, "m", "");
    const xcXform<2> I;
    const xcXform<2> a = xcXform<2>::translation({10, 0});
    EXPECT_EQ(m.encloseRect(I, I, I, 0, xcRadian(0), 0), xcRect(102, 53, 4, 5));
    EXPECT_EQ(m.encloseRect(a, I, I, 0, xcRadian(0), 0), xcRect(112, 53, 4, 5));
    // c = another image's client-from-image transform: the result is in that image's pels.
    EXPECT_EQ(m.encloseRect(I, I, xcXform<2>::translation({100, 50}), 0, xcRadian(0), 0),
              xcRect(2, 3, 4, 5));
    // b cancels out of the placement: the area is mapped into b's frame and placed by a * b.
    const xcXform<2> b(xcVector<2>(3, -4), 2.0, 1.0, xcRadian(0), xcRadian(0.3));
    const xcRect viaB = m.encloseRect(a, b, I, 0, xcRadian(0), 0);
    EXPECT_NEAR(viaB.x(), 112, 1e-12);
    EXPECT_NEAR(viaB.y(), 53, 1e-12);
    EXPECT_NEAR(viaB.width(), 4, 1e-12);
    EXPECT_NEAR(viaB.height(), 5, 1e-12);
    // The same translation uncertainty in x and y.
    EXPECT_EQ(m.encloseRect(a, I, I, 1.5, xcRadian(0), 0), xcRect(110.5, 51.5, 7, 8));

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const char* t = "Translation uncertainty must be >= 0";
    const char* r = "Rotation uncertainty must be >= 0";
    const char* s = "Scale uncertainty must be >= 0";
    expectThrow<xcOCDefs::BadParams>([&] { m.encloseRect(I, I, I, -1, xcRadian(-1), -1); }, t,
                                     kBadParams);
    expectThrow<xcOCDefs::BadParams>([&] { m.encloseRect(I, I, I, nan, xcRadian(0), 0); }, t,
                                     kBadParams);
    expectThrow<xcOCDefs::BadParams>([&] { m.encloseRect(I, I, I, 0, xcRadian(-0.1), -1); }, r,
                                     kBadParams);
    expectThrow<xcOCDefs::BadParams>([&] { m.encloseRect(I, I, I, 0, xcRadian(nan), 0); }, r,
                                     kBadParams);
    expectThrow<xcOCDefs::BadParams>([&] { m.encloseRect(I, I, I, 0, xcRadian(0), -1e-9); }, s,
                                     kBadParams);
}

TEST(OCModel, ArchiveWritesVersionOneFieldByField) {
    const xcPelRect w(1, 2, 2, 3);
    xcOCModel m(7, makeImage(w, 1, xcXform<2>::translation({5, 6})), makeMask(w),
                xcPelRect(1, 2, 2, 3), xcOCModel::eNormal, "A", "desc");
    const std::vector<unsigned char> bytes = storeObject(m);
    Reader r(bytes);
    EXPECT_EQ(r.u8(), 1);  // version
    EXPECT_EQ(r.i32(), 7); // key
    // image: bound, client-from-image (a, b, c, d, tx, ty), window, pels
    EXPECT_EQ(r.u8(), 1);
    for (double v : {1.0, 0.0, 0.0, 1.0, 5.0, 6.0}) EXPECT_EQ(r.f64(), v);
    for (int v : {1, 2, 2, 3}) EXPECT_EQ(r.i32(), v);
    for (long y = 0; y < 3; ++y)
        for (long x = 0; x < 2; ++x) EXPECT_EQ(r.u8(), *m.image().pointToPel(x, y));
    // mask: bound, identity, window, pels
    EXPECT_EQ(r.u8(), 1);
    for (double v : {1.0, 0.0, 0.0, 1.0, 0.0, 0.0}) EXPECT_EQ(r.f64(), v);
    for (int v : {1, 2, 2, 3}) EXPECT_EQ(r.i32(), v);
    for (long y = 0; y < 3; ++y)
        for (long x = 0; x < 2; ++x) EXPECT_EQ(r.u8(), x == 0 ? 0 : 255);
    EXPECT_EQ(r.u32(), 0u); // charType eNormal
    EXPECT_EQ(r.str(), "A");
    EXPECT_EQ(r.str(), "desc");
    for (int v : {1, 2, 2, 3}) EXPECT_EQ(r.i32(), v); // imageArea
    EXPECT_TRUE(r.atEnd());

    xcOCModel back;
    loadObject(bytes, back);
    EXPECT_EQ(back, m);
    EXPECT_EQ(back.image().clientFromImage(), xcXform<2>::translation({5, 6}));

    // A blank model: both buffers unbound, type 1.
    xcOCModel b(-3, Image(), xcPelRect(0, 0, 6, 12), xcOCModel::eBlank, "sp", "");
    const std::vector<unsigned char> blankBytes = storeObject(b);
    Reader rb(blankBytes);
    EXPECT_EQ(rb.u8(), 1);
    EXPECT_EQ(rb.i32(), -3);
    for (int buffer = 0; buffer < 2; ++buffer) {
        EXPECT_EQ(rb.u8(), 0);
        rb.skip(48);
    }
    EXPECT_EQ(rb.u32(), 1u);
    EXPECT_EQ(rb.str(), "sp");
    EXPECT_EQ(rb.str(), "");
    for (int v : {0, 0, 6, 12}) EXPECT_EQ(rb.i32(), v);
    EXPECT_TRUE(rb.atEnd());
}

TEST(OCModel, OldAndUnknownVersions) {
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
    std::vector<unsigned char> bytes = storeObject(m);
    const xcOCModel saved = m;
    bytes[0] = 2;
    try {
        loadObject(bytes, m);
        ADD_FAILURE() << "version 2 loaded";
    } catch (const xcArchive::UnknownVersion& e) {
        EXPECT_EQ(e.text(), "xcOCModel");
        EXPECT_EQ(e.number(), 2);
    }
    EXPECT_EQ(m, saved);

    xcMemoryArchive bad;
    version = 1;
    type = 5;
    std::string desc;
    bad || version || key || img || mask || type || name || desc || area;
    EXPECT_THROW(loadObject(bad.bytes(), m), xcArchive::BadFormat);
    EXPECT_EQ(m, saved);
}

TEST(OCModel, DamagedArchivesThrowOnlyLibraryExceptions) {
    xcPtrHandle_const<xcOCModel> h(new xcOCModel(normalModel()));
    const std::vector<unsigned char> bytes = store(h);
    damageRun(bytes, [](const std::vector<unsigned char>& data) {
        xcMemoryArchive ar(data);
        xcPtrHandle_const<xcOCModel> loaded;
        ar || loaded;
    });
}
