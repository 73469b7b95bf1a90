#include "oc/oc/line.h"

#include "foundation/oc_defs.h"
#include "oc/oc/fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

using namespace oc_test;

namespace {

const char* const kNullAlphabet = "Alphabet must point to a valid object.";
const char* const kScale = "Character scale factors must be > 0";
const char* const kKeys = "A key in the set sequence is not available in the supplied alphabet.";
const char* const kPoseCount = "Number of character poses does not match the number of key sets.";
const double kNaN = std::numeric_limits<double>::quiet_NaN();

using KeySets = std::vector<xcOCKeySet>;
using Poses = std::vector<xc2Rigid>;
using Doubles = std::vector<double>;
using Radians = std::vector<xcRadian>;

// Alphabet: 10 "a", 20 "b", 30 "c" (normal, 10 x 12) and 40 " " (blank, 6 x 12).
AlphabetHandle letters() {
    return AlphabetHandle(new xcOCAlphabet(
        {normal(10, "a"), normal(20, "b"), normal(30, "c"), blank(40, " ")}, 0.5, false, "abc"));
}

KeySets keySets(std::initializer_list<long> currentKeys) {
    KeySets sets;
    for (long k : currentKeys)
        sets.push_back(k < 0 ? xcOCKeySet({10, 20}, -1) : xcOCKeySet({k}, 0));
    return sets;
}

xc2Rigid shift(double x, double y) {
    return xc2Rigid(xcRadian(0), xcVector<2>(x, y));
}

} // namespace

TEST(OCLine, EvenlySpacedAndPoseListConstructors) {
    ASSERT_FALSE(xcOCLine().alphabet().isNull());
    const AlphabetHandle abc = letters();
    const xcOCLine even(keySets({10, 20, 30}), abc, shift(10, 0), 1.5, 2.0, xcRadian(0.1), 0.2,
                        "even");
    EXPECT_EQ(even.charPoses(), (Poses{shift(0, 0), shift(10, 0), shift(20, 0)}));
    EXPECT_EQ(even.scaleUncertainties(), Doubles(3, 0.2));
    // Pose k is the pitch applied k times.
    const xc2Rigid pitch(xcRadian(0.5), xcVector<2>(3, 1));
    EXPECT_EQ(xcOCLine(keySets({10, 20, 30}), abc, pitch, 1, 0, xcRadian(0), 0, "").charPoses()[2],
              pitch * pitch);

    // Both short constructors check the alphabet, then the counts and values, then the keys.
    const AlphabetHandle none;
    const KeySets bad = keySets({99});
    const auto ev = [&](const AlphabetHandle& a, double sc, double t) {
        xcOCLine(bad, a, shift(10, 0), sc, t, xcRadian(0), 0, "");
    };
    const auto li = [&](const Poses& p, double sc) {
        xcOCLine(bad, abc, p, sc, 0, xcRadian(0), 0, "");
    };
    expectThrows<xcOCDefs::BadParams>(
        {{[&] { ev(none, 0, -1); }, kNullAlphabet},
         {[&] { ev(abc, 0, -1); }, kScale},
         {[&] { ev(abc, 1, -1); }, "Character translation uncertainty must be >= 0"},
         {[&] { li(Poses{}, 0); }, kPoseCount},
         {[&] { li(Poses(1), -2); }, kScale}},
        kBadParams);
    // Every possible key counts, not only the current one.
    const KeySets tail{xcOCKeySet({10, 99}, 0)};
    expectThrows<xcOCDefs::BadKey>(
        {{[&] { ev(abc, 1, 0); }, kKeys},
         {[&] { xcOCLine(tail, abc, shift(1, 0), 1, 0, xcRadian(0), 0, ""); }, kKeys}},
        kBadKey);
    // The full constructor checks every count before any value.
    const Doubles bad4{1, 0, 1, 1};
    expectThrow<xcOCDefs::BadParams>(
        [&] {
            xcOCLine(keySets({10, 20, 30, 40}), abc, Poses(4), bad4, Doubles(4), Radians(4),
                     Doubles(3), "");
        },
        "Number of scale uncertainties does not match the number of key sets.", kBadParams);
}

TEST(OCLine, PositionQueries) {
    const AlphabetHandle abc = letters();
    KeySets sets = keySets({-1, 40, 20});
    sets.push_back(xcOCKeySet({10, 20, 30}, std::vector<long>{2, 0}));
    const xcOCLine line(sets, abc, shift(10, 0), 1, 0, xcRadian(0), 0, "");
    EXPECT_TRUE(line.isWildcard(0));
    const char* pos = "Invalid position index.";
    expectThrows<xcOCDefs::BadIndex>(
        {{[&] { line.character(4); }, pos},
         {[&] { line.characters(0); }, "The specified position contains a wildcard character."}},
        kBadIndex);
    const std::vector<ModelHandle> both = line.characters(3);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0]->key() * 100 + both[1]->key(), 3010);
    // A wild card, a blank, a normal character and two normal candidates: 2.
    EXPECT_EQ(line.numNormalChars(), 2);
}

TEST(OCLine, EncloseRectAddsEachLevelsUncertainty) {
    const AlphabetHandle abc = letters();
    const xcXform<2> I;
    // Wild cards place nothing, even with a b that cannot be inverted.
    const xcOCLine wild(keySets({-1, -1}), abc, shift(20, 0), 1, 5, xcRadian(1), 1, "");
    EXPECT_EQ(
        wild.encloseRect(I, xcXform<2>(xcMatrix<2>(0, 0, 0, 0), {}), I, 0, xcRadian(0), 0, false),
        xcRect());

    // Two 10 x 12 characters, 20 apart: x from 0 to 30.
    const auto box = [&](double scale, double charT, double callerT = 0) {
        return xcOCLine(keySets({10, 20}), abc, shift(20, 0), scale, charT, xcRadian(0), 0, "")
            .encloseRect(I, I, I, callerT, xcRadian(0), 0, false);
    };
    EXPECT_EQ(box(1, 0), xcRect(0, 0, 30, 12));
    EXPECT_EQ(box(1, 0, 1), xcRect(-1, -1, 32, 14)); // the caller's uncertainty widens the whole
    EXPECT_EQ(box(2, 0), xcRect(0, 0, 40, 24));      // scaled about each character's own origin
    EXPECT_EQ(box(1, 2), xcRect(-2, -2, 34, 16));    // the characters' own uncertainty
    const xcOCLine two(keySets({10, 20}), abc, shift(20, 0), 1, 0, xcRadian(0), 0, "");
    // a places the line; c maps into the image's pels (here a client-from-image shift).
    EXPECT_EQ(two.encloseRect(xcXform<2>::translation({100, 50}), I,
                              xcXform<2>::translation({90, 40}), 0, xcRadian(0), 0, false),
              xcRect(10, 10, 30, 12));
    // A character's turn about its own origin by up to a quarter turn either way: the corner
    // (10, 12) reaches x = -12 at +90 degrees and y = -10 at -90 degrees, and its circle reaches
    // both positive axes.
    const xcOCLine turning(keySets({10}), abc, shift(0, 0), 1, 0, xcRadian(std::numbers::pi / 2), 0,
                           "");
    const xcRect t = turning.encloseRect(I, I, I, 0, xcRadian(0), 0, false);
    const double d = std::hypot(10.0, 12.0), got[] = {t.x(), t.y(), t.right(), t.bottom()},
                 want[] = {-12, -10, d, d};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], want[i], 1e-9);

    expectThrow<xcOCDefs::BadParams>([&] { two.encloseRect(I, I, I, 0, xcRadian(kNaN), 0, false); },
                                     "Rotation uncertainty must be >= 0", kBadParams);
    // Confusable characters need a compiled alphabet, once another model is looked at.
    expectThrow<xcOCDefs::NotCompiled>([&] { two.encloseRect(I, I, I, 0, xcRadian(0), 0, true); },
                                       "", kNotCompiled);
}

TEST(OCLine, EncloseRectWithConfusableCharacters) {
    // Key 2's model is wider (30 x 12); row 1 scores 0.9 against it and 0.1 against key 3.
    const ModelHandle wide(new xcOCModel(2, makeImage(xcPelRect(0, 0, 30, 12)),
                                         xcPelRect(0, 0, 30, 12), xcOCModel::eNormal, "w", ""));
    const ModelHandle tall(new xcOCModel(3, makeImage(xcPelRect(0, 0, 10, 40)),
                                         xcPelRect(0, 0, 10, 40), xcOCModel::eNormal, "t", ""));
    const AlphabetHandle abc =
        compiledAlphabet({normal(1, "n"), wide, tall}, 0.5, [](long i, long j) {
            if (i == j) return 1.0;
            if (i == 0 && j == 1) return 0.9;
            return 0.1;
        });
    const xcOCLine line(KeySets{xcOCKeySet({1}, 0)}, abc, shift(0, 0), 1, 0, xcRadian(0), 0, "");
    const xcXform<2> I;
    EXPECT_EQ(line.encloseRect(I, I, I, 0, xcRadian(0), 0, false), xcRect(0, 0, 10, 12));
    EXPECT_EQ(line.encloseRect(I, I, I, 0, xcRadian(0), 0, true), xcRect(0, 0, 30, 12));
}

TEST(OCLine, ArchiveLayoutRoundTripAndBadArchives) {
    KeySets sets{xcOCKeySet({10}, 0)};
    xcOCLine line(sets, letters(), Poses{xc2Rigid(xcRadian(0.5), xcVector<2>(3, 4))}, 2.0, 1.5,
                  xcRadian(0.25), 0.125, "L");
    const Bytes bytes = storeObject(line);
    Reader r(bytes);
    EXPECT_EQ(r.u8(), 0); // version
    r.vec(1);             // key sets: one of version 2
    EXPECT_EQ(r.u8(), 2);
    r.skip(5 + 4 + 5 + 4 + 5 + 5); // keys {10}, indices {0}, no override keys, no lists
    EXPECT_EQ(r.u8(), 1);          // alphabet: a new framed object
    EXPECT_EQ(r.str(), "xcOCAlphabet");
    // The poses and what follows them have a fixed size: 5 + 24, 4 x 13 and the name (5).
    const Bytes rest(bytes.end() - 86, bytes.end());
    Reader tail(rest);
    tail.vec(1);
    for (double v : {0.5, 3.0, 4.0}) EXPECT_EQ(tail.f64(), v);
    for (double v : {2.0, 1.5, 0.25, 0.125}) { // scales, translation, rotation, scale unc.
        tail.vec(1);
        EXPECT_EQ(tail.f64(), v);
    }
    EXPECT_EQ(tail.str(), "L");
    EXPECT_TRUE(tail.atEnd());
    xcOCLine back;
    loadObject(bytes, back);
    EXPECT_EQ(back, line);

    Bytes v1 = bytes;
    v1[0] = 1;
    expectUnknownVersion(v1, static_cast<xcPersistent&>(back), "xcOCLine");
    EXPECT_EQ(back, line);

    damageRun(bytes, [](const Bytes& data) {
        xcMemoryArchive in(data);
        xcOCLine l;
        in || static_cast<xcPersistent&>(l);
    });
}
