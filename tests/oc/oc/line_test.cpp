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
    const xcOCLine def;
    EXPECT_EQ(def.numPositions(), 0);
    ASSERT_FALSE(def.alphabet().isNull());
    EXPECT_EQ(*def.alphabet(), xcOCAlphabet());

    const AlphabetHandle abc = letters();
    const xcOCLine even(keySets({10, 20, 30}), abc, shift(10, 0), 1.5, 2.0, xcRadian(0.1), 0.2,
                        "even");
    ASSERT_EQ(even.numPositions(), 3);
    EXPECT_EQ(even.charPoses(), (Poses{shift(0, 0), shift(10, 0), shift(20, 0)}));
    EXPECT_EQ(even.charScales(), Doubles(3, 1.5));
    EXPECT_EQ(even.translationUncertainties(), Doubles(3, 2.0));
    EXPECT_EQ(even.rotationUncertainties(), Radians(3, xcRadian(0.1)));
    EXPECT_EQ(even.scaleUncertainties(), Doubles(3, 0.2));
    EXPECT_EQ(even.name(), "even");
    EXPECT_EQ(even.alphabet(), abc);

    // Pose k is the pitch applied k times.
    const xc2Rigid pitch(xcRadian(0.5), xcVector<2>(3, 1));
    const xcOCLine turned(keySets({10, 20, 30}), abc, pitch, 1, 0, xcRadian(0), 0, "");
    EXPECT_EQ(turned.charPoses()[2], pitch * pitch);

    const xcOCLine listed(keySets({10, 20}), abc, Poses{shift(0, 0), shift(7, 1)}, 2.0, 1.0,
                          xcRadian(0.2), 0.3, "listed");
    EXPECT_EQ(listed.charPoses(), (Poses{shift(0, 0), shift(7, 1)}));
    EXPECT_EQ(listed.charScales(), Doubles(2, 2.0));
    EXPECT_EQ(listed.rotationUncertainties(), Radians(2, xcRadian(0.2)));

    // Evenly spaced checks, in order.
    const AlphabetHandle none;
    const auto even1 = [&](const AlphabetHandle& a, KeySets ks, double scale, double t, double r,
                           double s) {
        xcOCLine(ks, a, shift(10, 0), scale, t, xcRadian(r), s, "");
    };
    expectThrow<xcOCDefs::BadParams>([&] { even1(none, keySets({99}), 0, -1, -1, -1); },
                                     kNullAlphabet, kBadParams);
    expectThrow<xcOCDefs::BadParams>([&] { even1(abc, keySets({99}), 0, -1, -1, -1); }, kScale,
                                     kBadParams);
    expectThrow<xcOCDefs::BadParams>([&] { even1(abc, keySets({99}), kNaN, 0, 0, 0); }, kScale,
                                     kBadParams);
    expectThrow<xcOCDefs::BadParams>([&] { even1(abc, keySets({99}), 1, -1, -1, -1); },
                                     "Character translation uncertainty must be >= 0", kBadParams);
    expectThrow<xcOCDefs::BadParams>([&] { even1(abc, keySets({99}), 1, 0, kNaN, -1); },
                                     "Character rotation uncertainty must be >= 0", kBadParams);
    expectThrow<xcOCDefs::BadParams>([&] { even1(abc, keySets({99}), 1, 0, 0, -1); },
                                     "Character scale uncertainty must be >= 0", kBadParams);
    expectThrow<xcOCDefs::BadKey>([&] { even1(abc, keySets({99}), 1, 0, 0, 0); }, kKeys, kBadKey);
    // Every possible key counts, not only the current one.
    expectThrow<xcOCDefs::BadKey>(
        [&] {
            even1(abc, KeySets{xcOCKeySet({10, 99}, 0)}, 1, 0, 0, 0);
        },
        kKeys, kBadKey);

    // Pose-list checks, in order: the pose count comes before the scale.
    const auto listed1 = [&](const AlphabetHandle& a, KeySets ks, Poses p, double scale, double t,
                             double r,
                             double s) { xcOCLine(ks, a, p, scale, t, xcRadian(r), s, ""); };
    expectThrow<xcOCDefs::BadParams>([&] { listed1(none, keySets({99}), Poses{}, 0, -1, -1, -1); },
                                     kNullAlphabet, kBadParams);
    expectThrow<xcOCDefs::BadParams>(
        [&] { listed1(abc, keySets({99}), Poses{}, 0, -1, -1, -1); },
        "Number of character poses does not match the number of key sets.", kBadParams);
    expectThrow<xcOCDefs::BadParams>([&] { listed1(abc, keySets({99}), Poses(1), -2, -1, -1, -1); },
                                     kScale, kBadParams);
    expectThrow<xcOCDefs::BadParams>([&] { listed1(abc, keySets({99}), Poses(1), 1, -1, -1, -1); },
                                     "Character position uncertainty must be >= 0", kBadParams);
    expectThrow<xcOCDefs::BadParams>([&] { listed1(abc, keySets({99}), Poses(1), 1, 0, -1, -1); },
                                     "Character angular uncertainty must be >= 0", kBadParams);
    expectThrow<xcOCDefs::BadParams>([&] { listed1(abc, keySets({99}), Poses(1), 1, 0, 0, -1); },
                                     "Character scale uncertainty must be >= 0", kBadParams);
    expectThrow<xcOCDefs::BadKey>([&] { listed1(abc, keySets({99}), Poses(1), 1, 0, 0, 0); }, kKeys,
                                  kBadKey);
}

TEST(OCLine, FullConstructorChecksEveryCountBeforeAnyValue) {
    const AlphabetHandle abc = letters();
    const KeySets four = keySets({10, 20, 30, 40});
    const Poses p4(4);
    const Doubles one4(4, 1.0), zero4(4, 0.0);
    const Radians r4(4);
    const auto full = [&](const AlphabetHandle& a, const Poses& p, const Doubles& s,
                          const Doubles& t, const Radians& r,
                          const Doubles& su) { xcOCLine(four, a, p, s, t, r, su, ""); };
    expectThrow<xcOCDefs::BadParams>([&] { full(AlphabetHandle(), Poses(), {}, {}, {}, {}); },
                                     kNullAlphabet, kBadParams);
    expectThrow<xcOCDefs::BadParams>(
        [&] { full(abc, Poses(3), {}, {}, {}, {}); },
        "Number of character poses does not match the number of key sets.", kBadParams);
    expectThrow<xcOCDefs::BadParams>(
        [&] { full(abc, p4, {}, {}, {}, {}); },
        "Number of character scales does not match the number of key sets.", kBadParams);
    expectThrow<xcOCDefs::BadParams>(
        [&] { full(abc, p4, one4, {}, {}, {}); },
        "Number of translation uncertainties does not match the number of key sets.", kBadParams);
    expectThrow<xcOCDefs::BadParams>(
        [&] { full(abc, p4, one4, zero4, {}, {}); },
        "Number of rotation uncertainties does not match the number of key sets.", kBadParams);
    // Four key sets and three scale uncertainties: the count message, although a scale is bad.
    expectThrow<xcOCDefs::BadParams>(
        [&] {
            full(abc, p4, {1, 0, 1, 1}, zero4, r4, Doubles(3));
        },
        "Number of scale uncertainties does not match the number of key sets.", kBadParams);
    // Then position by position: position 0's rotation before position 1's scale.
    expectThrow<xcOCDefs::BadParams>(
        [&] {
            full(abc, p4, {1, 0, 1, 1}, zero4, {xcRadian(-1), xcRadian(), xcRadian(), xcRadian()},
                 zero4);
        },
        "Character rotation uncertainties must be >= 0", kBadParams);
    expectThrow<xcOCDefs::BadParams>(
        [&] {
            full(abc, p4, {1, 0, 1, 1}, zero4, r4, zero4);
        },
        kScale, kBadParams);
    expectThrow<xcOCDefs::BadParams>(
        [&] {
            full(abc, p4, one4, {0, 0, kNaN, 0}, r4, zero4);
        },
        "Character translation uncertainties must be >= 0", kBadParams);
    expectThrow<xcOCDefs::BadParams>(
        [&] {
            full(abc, p4, one4, zero4, r4, {0, 0, 0, -1});
        },
        "Character scale uncertainties must be >= 0", kBadParams);
    expectThrow<xcOCDefs::BadKey>(
        [&] {
            xcOCLine(keySets({10, 20, 30, 50}), abc, p4, one4, zero4, r4, zero4, "");
        },
        kKeys, kBadKey);

    const xcOCLine ok(four, abc, {shift(0, 0), shift(1, 0), shift(2, 0), shift(3, 0)}, {1, 2, 3, 4},
                      {0, 1, 2, 3}, {xcRadian(0), xcRadian(1), xcRadian(2), xcRadian(3)},
                      {0.5, 0, 0, 0}, "full");
    EXPECT_EQ(ok.charScales(), (Doubles{1, 2, 3, 4}));
    EXPECT_EQ(ok.translationUncertainties(), (Doubles{0, 1, 2, 3}));
    EXPECT_EQ(ok.rotationUncertainties()[3], xcRadian(3));
    EXPECT_EQ(ok.scaleUncertainties()[0], 0.5);
}

TEST(OCLine, PositionQueries) {
    const AlphabetHandle abc = letters();
    KeySets sets = keySets({-1, 40, 20});
    sets.push_back(xcOCKeySet({10, 20, 30}, std::vector<long>{2, 0}));
    const xcOCLine line(sets, abc, shift(10, 0), 1, 0, xcRadian(0), 0, "");
    EXPECT_TRUE(line.isWildcard(0));
    EXPECT_FALSE(line.isWildcard(1));
    for (long bad : {-1L, line.numPositions()}) {
        expectThrow<xcOCDefs::BadIndex>([&] { line.isWildcard(bad); }, "Invalid position index.",
                                        kBadIndex);
        expectThrow<xcOCDefs::BadIndex>([&] { line.character(bad); }, "Invalid position index.",
                                        kBadIndex);
        expectThrow<xcOCDefs::BadIndex>([&] { line.characters(bad); }, "Invalid position index.",
                                        kBadIndex);
    }
    expectThrow<xcOCDefs::BadIndex>([&] { line.character(0); },
                                    "The specified position contains a wildcard character.",
                                    kBadIndex);
    expectThrow<xcOCDefs::BadIndex>([&] { line.characters(0); },
                                    "The specified position contains a wildcard character.",
                                    kBadIndex);
    EXPECT_EQ(line.character(2)->key(), 20);
    EXPECT_EQ(line.character(3)->key(), 30);
    const std::vector<ModelHandle> both = line.characters(3);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0]->key(), 30);
    EXPECT_EQ(both[1]->key(), 10);
    // A wild card, a blank, a normal character and two normal candidates: 2.
    EXPECT_EQ(line.numNormalChars(), 2);
    // A key set may have no current key at all: there is no first one to give.
    xcOCKeySet none({10, 20}, 0);
    none.currentKeyIndices({});
    const xcOCLine empty(std::vector<xcOCKeySet>{none}, abc, shift(10, 0), 1, 0, xcRadian(0), 0,
                         "");
    EXPECT_FALSE(empty.isWildcard(0));
    EXPECT_TRUE(empty.characters(0).empty());
    EXPECT_EQ(empty.numNormalChars(), 0);
    const char* noCurrent = "Current key index is not valid for specified set of possible keys.";
    expectThrow<xcOCDefs::BadIndex>([&] { empty.character(0); }, noCurrent, kBadIndex);
    const xcXform<2> I;
    expectThrow<xcOCDefs::BadIndex>([&] { empty.encloseRect(I, I, I, 0, xcRadian(0), 0, false); },
                                    noCurrent, kBadIndex);
    EXPECT_EQ(xcOCLine(keySets({-1, 40, 20}), abc, shift(10, 0), 1, 0, xcRadian(0), 0, "")
                  .numNormalChars(),
              1);
}

TEST(OCLine, EncloseRectAddsEachLevelsUncertainty) {
    const AlphabetHandle abc = letters();
    const xcXform<2> I;
    const xcOCLine wild(keySets({-1, -1}), abc, shift(20, 0), 1, 5, xcRadian(1), 1, "");
    EXPECT_EQ(wild.encloseRect(I, I, I, 0, xcRadian(0), 0, false), xcRect());
    // Even with a b that cannot be inverted: nothing is placed.
    EXPECT_EQ(
        wild.encloseRect(I, xcXform<2>(xcMatrix<2>(0, 0, 0, 0), {}), I, 0, xcRadian(0), 0, false),
        xcRect());

    // Two 10 x 12 characters, 20 apart: x from 0 to 30.
    const xcOCLine two(keySets({10, 20}), abc, shift(20, 0), 1, 0, xcRadian(0), 0, "");
    EXPECT_EQ(two.encloseRect(I, I, I, 0, xcRadian(0), 0, false), xcRect(0, 0, 30, 12));
    // The caller's translation uncertainty widens the whole.
    EXPECT_EQ(two.encloseRect(I, I, I, 1, xcRadian(0), 0, false), xcRect(-1, -1, 32, 14));
    // a places the line; c maps into the image's pels (here a client-from-image shift).
    EXPECT_EQ(two.encloseRect(xcXform<2>::translation({100, 50}), I,
                              xcXform<2>::translation({90, 40}), 0, xcRadian(0), 0, false),
              xcRect(10, 10, 30, 12));
    // The character scale scales each character about its own origin.
    const xcOCLine big(keySets({10, 20}), abc, shift(20, 0), 2, 0, xcRadian(0), 0, "");
    EXPECT_EQ(big.encloseRect(I, I, I, 0, xcRadian(0), 0, false), xcRect(0, 0, 40, 24));
    // The characters' own translation uncertainty widens each character.
    const xcOCLine loose(keySets({10, 20}), abc, shift(20, 0), 1, 2, xcRadian(0), 0, "");
    EXPECT_EQ(loose.encloseRect(I, I, I, 0, xcRadian(0), 0, false), xcRect(-2, -2, 34, 16));
    // A character's turn about its own origin by up to a quarter turn either way: the corner
    // (10, 12) reaches x = -12 at +90 degrees and y = -10 at -90 degrees, and its circle reaches
    // both positive axes.
    const xcOCLine turning(keySets({10}), abc, shift(0, 0), 1, 0, xcRadian(std::numbers::pi / 2), 0,
                           "");
    const xcRect t = turning.encloseRect(I, I, I, 0, xcRadian(0), 0, false);
    const double d = std::hypot(10.0, 12.0);
    EXPECT_NEAR(t.x(), -12, 1e-9);
    EXPECT_NEAR(t.y(), -10, 1e-9);
    EXPECT_NEAR(t.x() + t.width(), d, 1e-9);
    EXPECT_NEAR(t.y() + t.height(), d, 1e-9);

    expectThrow<xcOCDefs::BadParams>([&] { two.encloseRect(I, I, I, -1, xcRadian(-1), -1, false); },
                                     "Translation uncertainty must be >= 0", kBadParams);
    expectThrow<xcOCDefs::BadParams>(
        [&] { two.encloseRect(I, I, I, 0, xcRadian(kNaN), -1, false); },
        "Rotation uncertainty must be >= 0", kBadParams);
    expectThrow<xcOCDefs::BadParams>([&] { two.encloseRect(I, I, I, 0, xcRadian(0), kNaN, false); },
                                     "Scale uncertainty must be >= 0", kBadParams);
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

TEST(OCLine, EqualityComparesAlphabetsByValue) {
    const xcOCLine a(keySets({10, 20}), letters(), shift(20, 0), 1, 0, xcRadian(0), 0, "l");
    const xcOCLine b(keySets({10, 20}), letters(), shift(20, 0), 1, 0, xcRadian(0), 0, "l");
    EXPECT_NE(a.alphabet(), b.alphabet());
    EXPECT_EQ(a, b);
    EXPECT_NE(a, xcOCLine(keySets({10, 20}), letters(), shift(20, 0), 1, 0, xcRadian(0), 0, "m"));
    EXPECT_NE(a, xcOCLine(keySets({10, 30}), letters(), shift(20, 0), 1, 0, xcRadian(0), 0, "l"));
    EXPECT_NE(a, xcOCLine(keySets({10, 20}), letters(), shift(21, 0), 1, 0, xcRadian(0), 0, "l"));
    EXPECT_NE(a,
              xcOCLine(keySets({10, 20}), letters(), shift(20, 0), 1, 0, xcRadian(1e-12), 0, "l"));
    EXPECT_NE(a, xcOCLine(keySets({10}), letters(), shift(20, 0), 1, 0, xcRadian(0), 0, "l"));
    const xcPtrHandle<xcOCAlphabet> renamed(new xcOCAlphabet(*letters()));
    renamed->name("other");
    EXPECT_NE(a, xcOCLine(keySets({10, 20}), renamed, shift(20, 0), 1, 0, xcRadian(0), 0, "l"));
}

TEST(OCLine, ArchiveLayoutRoundTripAndDamage) {
    KeySets sets{xcOCKeySet({10}, 0)};
    xcOCLine line(sets, letters(), Poses{xc2Rigid(xcRadian(0.5), xcVector<2>(3, 4))}, 2.0, 1.5,
                  xcRadian(0.25), 0.125, "L");
    const std::vector<unsigned char> bytes = storeObject(line);
    Reader r(bytes);
    EXPECT_EQ(r.u8(), 0); // version
    // key sets: vector of one key set of version 2
    EXPECT_EQ(r.u8(), 0);
    EXPECT_EQ(r.u32(), 1u);
    EXPECT_EQ(r.u8(), 2);
    r.skip(5 + 4 + 5 + 4 + 5 + 5); // keys {10}, indices {0}, no override keys, no lists
    // alphabet: a new framed object
    EXPECT_EQ(r.u8(), 1);
    EXPECT_EQ(r.str(), "xcOCAlphabet");
    EXPECT_EQ(r.u8(), 1);
    EXPECT_EQ(r.str(), "abc");
    EXPECT_EQ(r.f64(), 0.5);
    EXPECT_EQ(r.u8(), 0);
    const std::uint32_t numModels = r.u32();
    EXPECT_EQ(numModels, 4u);
    // Skip the models, the compiled flag and the matrix; find the poses after them.
    xcMemoryArchive skipper(bytes);
    {
        unsigned char v;
        KeySets ks;
        AlphabetHandle a;
        skipper || v || ks || a;
    }
    const std::vector<unsigned char> rest(bytes.begin() + static_cast<long>(skipper.position()),
                                          bytes.end());
    Reader tail(rest);
    EXPECT_EQ(tail.u8(), 0); // poses
    EXPECT_EQ(tail.u32(), 1u);
    EXPECT_EQ(tail.f64(), 0.5);
    EXPECT_EQ(tail.f64(), 3.0);
    EXPECT_EQ(tail.f64(), 4.0);
    for (double v : {2.0, 1.5, 0.25, 0.125}) { // scales, translation, rotation, scale unc.
        EXPECT_EQ(tail.u8(), 0);
        EXPECT_EQ(tail.u32(), 1u);
        EXPECT_EQ(tail.f64(), v);
    }
    EXPECT_EQ(tail.str(), "L");
    EXPECT_TRUE(tail.atEnd());

    xcOCLine back;
    loadObject(bytes, back);
    EXPECT_EQ(back, line);

    std::vector<unsigned char> v1 = bytes;
    v1[0] = 1;
    try {
        loadObject(v1, back);
        ADD_FAILURE() << "version 1 loaded";
    } catch (const xcArchive::UnknownVersion& e) {
        EXPECT_EQ(e.text(), "xcOCLine");
    }
    EXPECT_EQ(back, line);

    // Vectors of different lengths are damage: cut the scales to none.
    xcMemoryArchive ar;
    unsigned char version = 0;
    AlphabetHandle abc = letters();
    Poses poses(1);
    Doubles none, one(1, 1.0);
    Radians rots(1);
    std::string name;
    ar || version || sets || abc || poses || none || one || rots || one || name;
    EXPECT_THROW(loadObject(ar.bytes(), back), xcArchive::BadFormat);
    EXPECT_EQ(back, line);

    xcPtrHandle_const<xcOCLine> h(new xcOCLine(line));
    damageRun(store(h), [](const std::vector<unsigned char>& data) {
        xcMemoryArchive in(data);
        xcPtrHandle_const<xcOCLine> loaded;
        in || loaded;
        if (!loaded) return;
        for (long p = 0; p < loaded->numPositions(); ++p)
            if (!loaded->isWildcard(p)) loaded->characters(p);
        loaded->numNormalChars();
    });
}
