// Character models and alphabets: their checks, the alphabet's scores after removal, and their
// archives.
#include "oc/oc/alphabet.h"

#include "core/image/pel_buffer_archive.h"
#include "foundation/oc_defs.h"
#include "oc/oc/fixtures.h"

#include <gtest/gtest.h>

#include <limits>

using namespace oc_test;

namespace {

const char* const kNoChar = "The character for the specified key does not exist in the alphabet.";
const char* const kThreshold = "Confusion threshold must be between 0 and 1.";
const char* const kArea = "The image area must fit within the mask and image windows.";
const xcPelRect kWindow(0, 0, 10, 12);

xcOCAlphabet loadAlphabet(const Bytes& bytes) {
    xcOCAlphabet a;
    loadObject(bytes, a);
    return a;
}

} // namespace

TEST(OCModel, ChecksInOrderAndEncloseRect) {
    const Image img = makeImage(kWindow), other = makeImage(xcPelRect(0, 0, 10, 11));
    const xcPelRect far(50, 50, 1, 1);
    const auto make = [](const Image& i, const Image& m, const xcPelRect& area,
                         xcOCModel::CharType t) { xcOCModel(1, i, m, area, t, "n", ""); };
    // The type's image first, then the mask's window, then the area.
    expectThrow<xcOCDefs::BadImage>([&] { make(Image(), other, far, xcOCModel::eNormal); },
                                    "Image models must be bound for normal characters.", kBadImage);
    expectThrow<xcOCDefs::NotImplemented>([&] { make(img, other, far, xcOCModel::eBlank); },
                                          "Bound images are not supported for blank characters",
                                          kNotImplemented);
    expectThrows<xcOCDefs::BadParams>(
        {{[&] { make(img, other, far, xcOCModel::eNormal); },
          "Character mask window must be equal to the image character model window."},
         {[&] { make(img, Image(), xcPelRect(2, 3, 9, 5), xcOCModel::eNormal); }, kArea},
         {[&] { make(Image(), makeMask(kWindow), far, xcOCModel::eBlank); }, kArea}},
        kBadParams);

    // The image's pels map to client coordinates shifted by (100, 50); a failed setter keeps
    // the area.
    xcOCModel m(1, makeImage(kWindow, 1, xcXform<2>::translation({100, 50})), xcPelRect(2, 3, 4, 5),
                xcOCModel::eNormal, "m", "");
    const xcOCModel saved = m;
    expectThrow<xcOCDefs::BadParams>([&] { m.imageArea(xcPelRect(8, 3, 4, 5)); }, kArea,
                                     kBadParams);
    EXPECT_EQ(m, saved);
    const xcXform<2> I, a = xcXform<2>::translation({10, 0});
    EXPECT_EQ(m.encloseRect(a, I, I, 0, xcRadian(0), 0), xcRect(112, 53, 4, 5));
    // c maps into another image's pels; the translation uncertainty widens x and y alike.
    EXPECT_EQ(m.encloseRect(I, I, xcXform<2>::translation({100, 50}), 1.5, xcRadian(0), 0),
              xcRect(0.5, 1.5, 7, 8));
    // b cancels out of the placement: the area is mapped into b's frame and placed by a * b.
    const xcRect viaB =
        m.encloseRect(a, xcXform<2>(xcVector<2>(3, -4), 2.0, 1.0, xcRadian(0), xcRadian(0.3)), I, 0,
                      xcRadian(0), 0);
    const double want[] = {112, 53, 4, 5},
                 got[] = {viaB.x(), viaB.y(), viaB.width(), viaB.height()};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], want[i], 1e-12);
    expectThrow<xcOCDefs::BadParams>([&] { m.encloseRect(I, I, I, 0, xcRadian(-0.1), 0); },
                                     "Rotation uncertainty must be >= 0", kBadParams);
}

TEST(OCModel, ArchiveLayoutAndVersions) {
    const xcPelRect w(1, 2, 2, 3);
    xcOCModel m(7, makeImage(w, 1, xcXform<2>::translation({5, 6})), makeMask(w), w,
                xcOCModel::eNormal, "A", "desc");
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

    // Version 0 has no description; a version above 1 names the class.
    xcMemoryArchive out;
    unsigned char version = 0;
    long key = 4;
    Image img = makeImage(kWindow), mask;
    unsigned long type = xcOCModel::eNormal;
    std::string name = "four";
    xcPelRect area(1, 1, 3, 3);
    out || version || key || img || mask || type || name || area;
    loadObject(out.bytes(), back);
    EXPECT_EQ(back, xcOCModel(4, img, area, xcOCModel::eNormal, "four", ""));
    Bytes bad = bytes;
    bad[0] = 2;
    expectUnknownVersion(bad, static_cast<xcPersistent&>(back), "xcOCModel", 2);
    bad = bytes; // a character type 2, before the name, description and area
    bad[bytes.size() - 33] = 2;
    EXPECT_THROW(loadObject(bad, back), xcArchive::BadFormat);
}

TEST(OCAlphabet, ChecksInOrder) {
    // The threshold is checked first, then the keys.
    const xcOCAlphabet::Models same{normal(1, "a"), normal(1, "b")};
    expectThrow<xcOCDefs::BadParams>([&] { xcOCAlphabet(same, 1.5, false, ""); }, kThreshold,
                                     kBadParams);
    expectThrow<xcOCDefs::SameKey>(
        [&] { xcOCAlphabet(same, 0.5, false, ""); },
        "The keys for at least two of the supplied characters are identical.", kSameKey);
    const xcOCAlphabet a({normal(1, "a"), blank(2, "sp")}, 0.25, false, "abc");
    EXPECT_EQ(std::pair(a.characterIndex(2), a.characterIndex(3)), std::pair(1L, -1L));
    expectThrow<xcOCDefs::BadKey>([&] { a.character(9); }, kNoChar, kBadKey);
    expectThrow<xcOCDefs::NotCompiled>([&] { a.confusion(1, 2); }, "", kNotCompiled);

    // The threshold setter takes 0 and 1 and keeps the compiled state.
    xcOCAlphabet c = loadAlphabet(compiledArchive({normal(1, "a")}));
    const xcOCAlphabet saved = c;
    for (double bad : {1.0000001, -0.0001, std::numeric_limits<double>::quiet_NaN()})
        expectThrow<xcOCDefs::BadParams>([&] { c.confusionThreshold(bad); }, kThreshold,
                                         kBadParams);
    EXPECT_EQ(c, saved);
    c.confusionThreshold(1.0);
    c.confusionThreshold(0.0);
    EXPECT_TRUE(c.isCompiled() && c.confusionMatrix() == saved.confusionMatrix());
}

TEST(OCAlphabet, RemoveMovesTheLastCharacterWithItsScores) {
    // Key k was built at index k - 1: its scores are 10 (i - 1) + j and its offsets (i - 1, j - 1).
    xcOCAlphabet a =
        loadAlphabet(compiledArchive({normal(1, "a"), normal(2, "b"), normal(3, "c")}));
    const xcOCAlphabet saved = a;
    const std::vector<long> unknown{1, 4}, repeated{1, 1};
    expectThrow<xcOCDefs::BadKey>(
        [&] { a.remove(unknown); },
        "At least one of the supplied keys does not reference a character in this alphabet.",
        kBadKey);
    expectThrow<xcOCDefs::SameKey>([&] { a.remove(repeated); },
                                   "At least one of the supplied keys is identical.", kSameKey);
    EXPECT_EQ(a, saved);

    // Removing the first of three moves the third to index 0 with its scores and offsets.
    a.remove(1);
    EXPECT_TRUE(a.isCompiled());
    EXPECT_EQ(a.characterIndex(3), 0);
    ASSERT_EQ(a.offsets().size(), 2u);
    for (long i = 2; i <= 3; ++i)
        for (long j = 2; j <= 3; ++j) {
            EXPECT_EQ(a.confusion(i, j), 10.0 * (i - 1) + j) << i << ", " << j;
            EXPECT_EQ(a.characterOffset(i, j), xcXform<2>::translation({i - 1.0, j - 1.0}));
        }

    // Removing the last ones leaves a compiled empty alphabet with a 1 x 1 matrix.
    a.remove({2, 3});
    EXPECT_TRUE(a.isCompiled());
    EXPECT_EQ(a.confusionMatrix().rows(), 1);
    EXPECT_TRUE(a.offsets().empty());
}

TEST(OCAlphabet, ConfusabilityUsesTheRowCharactersThreshold) {
    // Threshold 0.5: a blank row is confusable at any positive score, a normal row needs more
    // than the threshold.
    const double m[3][3] = {{0, 0.01, 0}, {0.3, 0, 0.6}, {0, 0.5, 0}};
    const xcOCAlphabet a = *compiledAlphabet({blank(5, "sp"), normal(6, "o"), normal(7, "q")}, 0.5,
                                             [&](long i, long j) { return m[i][j]; });
    EXPECT_EQ(std::vector<bool>({a.areConfusable(5, 6), a.areConfusable(5, 7),
                                 a.areConfusable(6, 7), a.areConfusable(7, 6)}),
              std::vector<bool>({true, false, true, false}));
    expectThrow<xcOCDefs::BadKey>([&] { a.areConfusable(6, 8); }, kNoChar, kBadKey);
}

TEST(OCAlphabet, ArchiveLayoutVersionsAndDamage) {
    xcOCAlphabet a({blank(4, "sp")}, 0.75, false, "AB");
    const Bytes bytes = storeObject(a);
    Reader r(bytes);
    EXPECT_EQ(r.u8(), 1);
    EXPECT_EQ(r.str(), "AB");
    EXPECT_EQ(r.f64(), 0.75);
    r.vec(1); // characters: one new framed object of class xcOCModel
    EXPECT_EQ(r.u8(), 1);
    EXPECT_EQ(r.str(), "xcOCModel");
    r.skip(1 + 4 + 2 * (1 + 48) + 4 + 4 + 2 + 4 + 5 + 16); // the model, as above
    EXPECT_EQ(r.u8(), 0);                                  // isCompiled
    EXPECT_EQ(r.u32(), 1u);                                // matrix rows
    EXPECT_EQ(r.u32(), 1u);                                // matrix cols
    r.skip(8);
    r.vec(0); // offsets
    EXPECT_TRUE(r.atEnd());

    // A compiled alphabet round-trips with its scores; version 0 has none and loads
    // uncompiled when it was.
    xcOCAlphabet c =
        loadAlphabet(compiledArchive({normal(1, "a"), blank(2, "sp"), normal(3, "c")}));
    xcOCAlphabet back = loadAlphabet(storeObject(c));
    EXPECT_EQ(back, c);
    EXPECT_EQ(back.confusionMatrix(), c.confusionMatrix());
    xcMemoryArchive v0, unfit;
    unsigned char version = 0;
    std::string name = "old";
    double threshold = 0.3;
    xcOCAlphabet::Models models{normal(1, "a")};
    bool wasCompiled = false;
    v0 || version || name || threshold || models || wasCompiled;
    EXPECT_EQ(loadAlphabet(v0.bytes()), xcOCAlphabet(models, 0.3, false, "old"));
    // Characters sharing a key, or scores that do not fit a compiled alphabet, are damage.
    EXPECT_THROW(loadAlphabet(compiledArchive({normal(1, "a"), normal(1, "b")})),
                 xcArchive::BadFormat);
    version = 1, wasCompiled = true;
    xcNMMatrix wrong(2, 2);
    std::vector<std::vector<xcXform<2>>> offsets(1, std::vector<xcXform<2>>(1));
    unfit || version || name || threshold || models || wasCompiled || wrong || offsets;
    EXPECT_THROW(loadAlphabet(unfit.bytes()), xcArchive::BadFormat);

    Bytes v2 = compiledArchive({normal(1, "a")});
    v2[0] = 2;
    expectUnknownVersion(v2, static_cast<xcPersistent&>(back), "xcOCAlphabet");
    xcPtrHandle_const<xcOCAlphabet> h(compiledAlphabet({normal(1, "a"), blank(2, "sp")}));
    expectDamageRefused(store(h), [](const Bytes& data) {
        xcMemoryArchive ar(data);
        xcPtrHandle_const<xcOCAlphabet> loaded;
        ar || loaded;
        // Whatever loaded must be usable.
        if (loaded && loaded->isCompiled())
            for (const ModelHandle& m : loaded->characters())
                loaded->areConfusable(m->key(), m->key());
    });
}
