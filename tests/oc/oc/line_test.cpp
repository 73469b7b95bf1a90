// The expected text: key sets, lines of them, arrangements of lines and the change of a
// position's current keys, with their checks, enclosing rectangles and archives.
#include "oc/oc/change_keys.h"
#include "oc/oc/key_set.h"
#include "oc/oc/line.h"
#include "oc/oc/line_arrangement.h"

#include "foundation/oc_defs.h"
#include "oc/oc/fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

using namespace oc_test;

namespace {

using K = xcOCKeySet;
using Keys = std::vector<long>;
using KeySets = std::vector<K>;
using LineHandle = xcPtrHandle_const<xcOCLine>;
using Lines = xcOCLineArrangement::Lines;
using Poses = std::vector<xc2Rigid>;
using Doubles = std::vector<double>;
using Radians = std::vector<xcRadian>;

const char* const kBadIndices =
    "At least one of the current key indices is not valid for specified set of possible keys.";
const char* const kBadIndexMsg =
    "Current key index is not valid for specified set of possible keys.";
const char* const kNoKey = "Wild-card characters have no key.";
const char* const kUnique = "Key indices must be unique.";
const char* const kNotMember = "The specified key is not a member of the key set.";
const char* const kNoOverrides = "There are no confusion keys overrides for the specified key.";
const char* const kScale = "Character scale factors must be > 0";
const xcXform<2> I;

xc2Rigid shift(double x, double y) {
    return xc2Rigid(xcRadian(0), xcVector<2>(x, y));
}

// 10 "a", 20 "b", 30 "c", 40 "o", 50 "o" (normal, 10 x 12) and 60 " " (blank, 6 x 12).
AlphabetHandle letters() {
    return AlphabetHandle(new xcOCAlphabet({normal(10, "a"), normal(20, "b"), normal(30, "c"),
                                            normal(40, "o"), normal(50, "o"), blank(60, " ")},
                                           0.5, false, "abc"));
}

KeySets keySets(std::initializer_list<long> currentKeys) {
    KeySets sets;
    for (long k : currentKeys) sets.push_back(k < 0 ? K({10, 20}, -1) : K({k}, 0));
    return sets;
}

// Two 10 x 12 characters 20 apart: they cover (0, 0, 30, 12).
LineHandle twoChars(const AlphabetHandle& abc, double charScale = 1, double charT = 0,
                    const std::string& name = "line") {
    return LineHandle(new xcOCLine(keySets({10, 20}), abc, shift(20, 0), charScale, charT,
                                   xcRadian(0), 0.0, name));
}

} // namespace

TEST(OCKeySet, CurrentIndicesAndKeys) {
    K def;
    expectThrows<xcOCDefs::BadKey>(
        {{[&] { def.currentKey(); }, kNoKey},
         {[&] { def.currentKeys(); }, "Wild-card characters have no key index."}},
        kBadKey);
    K k({10, 20, 30}, 1);
    // {2, -1}: a wild card, but the first index is not -1, so currentKey complains of the count.
    k.currentKeyIndices({2, -1});
    EXPECT_TRUE(k.isCurrentWildcard());
    const char* one = "Set of current key indices must contain only one element.";
    expectThrows<xcOCDefs::BadParams>(
        {{[&] { k.currentKey(); }, one}, {[&] { k.currentKeyIndex(0); }, one}}, kBadParams);
    k.currentKeyIndices({-1, 2});
    expectThrow<xcOCDefs::BadKey>([&] { k.currentKey(); }, kNoKey, kBadKey);
    k.currentKeyIndices({2, 0});
    EXPECT_EQ(k.currentKeys(), (Keys{30, 10}));

    // -1 makes a wild card, -2 and 3 are out of range; several must be unique.
    k.currentKeyIndices({0});
    const K saved = k;
    const Keys twice(2, 1), out{0, 3};
    expectThrows<xcOCDefs::BadIndex>({{[&] { k.currentKeyIndices(twice); }, kUnique},
                                      {[&] { k.currentKeyIndices(out); }, kBadIndices},
                                      {[&] { k.currentKeyIndices({-2}); }, kBadIndices},
                                      {[&] { k.currentKeyIndex(-2); }, kBadIndexMsg},
                                      {[&] { k.currentKeyIndex(3); }, kBadIndexMsg}},
                                     kBadIndex);
    EXPECT_EQ(k, saved);
    // No current index at all is accepted, and then there is no current key.
    k.currentKeyIndices({});
    expectThrow<xcOCDefs::BadIndex>([&] { k.currentKey(); }, kBadIndexMsg, kBadIndex);

    // Keys are unique and keep the current indices valid; a change drops every override.
    K s({5, 6, 7}, 2);
    s.confusionOverrides(5, {6});
    const K before = s;
    expectThrow<xcOCDefs::BadIndex>([&] { s.keys({5, 6}); }, kBadIndices, kBadIndex);
    expectThrow<xcOCDefs::SameKey>(
        [&] {
            s.keys({5, 5, 6});
        },
        "Possible keys for a character position must be unique.", kSameKey);
    EXPECT_EQ(s, before);
    s.keys({5, 6, 8});
    EXPECT_FALSE(s.hasConfusionOverrides(5));
}

TEST(OCKeySet, ConfusionOverridesEqualityAndNames) {
    K k({5, 7, 9}, 0);
    expectThrows<xcOCDefs::BadKey>({{[&] { k.confusionOverrides(6, {1}); }, kNotMember},
                                    {[&] { k.hasConfusionOverrides(6); }, kNotMember},
                                    {[&] { k.removeConfusionOverrides(6); }, kNotMember},
                                    {[&] { k.confusionOverrides(5); }, kNoOverrides},
                                    {[&] { k.removeConfusionOverrides(5); }, kNoOverrides}},
                                   kBadKey);
    k.confusionOverrides(5, {7, 100}); // the list is not checked
    k.confusionOverrides(7, {5});
    k.confusionOverrides(9, {});
    k.confusionOverrides(5, {9}); // replaced in place
    // Removing 5 moves the last override (9) into its place; 7 keeps its list.
    k.removeConfusionOverrides(5);
    EXPECT_EQ(k.confusionOverrides(7), Keys{5});
    EXPECT_TRUE(k.confusionOverrides(9).empty());
    // Equality ignores the order in which overrides were set.
    K other({5, 7, 9}, 0);
    other.confusionOverrides(7, {5});
    other.confusionOverrides(9, {});
    EXPECT_EQ(k, other);
    other.confusionOverrides(7, {5, 9});
    EXPECT_NE(k, other);

    // From names: "o" is the name of keys 40 and 50.
    const AlphabetHandle abc = letters();
    const K named(abc, {"c", "o", " "}, "o");
    EXPECT_EQ(named.keys(), (Keys{30, 40, 50, 60}));
    EXPECT_EQ(named.currentKeyIndices(), (Keys{1, 2}));
    const std::vector<std::string> repeated{"zz", "a", "zz"}, unknown{"a", "zz"}, ac{"a", "c"};
    expectThrow<xcOCDefs::SameKey>(
        [&] { K(abc, repeated, "a"); },
        "Possible character names for a character position must be unique.", kSameKey);
    expectThrow<xcOCDefs::BadKey>(
        [&] { K(abc, unknown, "nothing"); },
        "At least one of the character names is not found in the supplied alphabet.", kBadKey);
    expectThrow<xcOCDefs::BadIndex>(
        [&] { K(abc, ac, "o"); },
        "Current character is not valid for specified set of possible character names.", kBadIndex);
}

TEST(OCKeySet, ArchiveVersionsAndDamage) {
    K k({4, 5}, 1);
    k.confusionOverrides(5, {4, 9});
    Bytes bytes = store(k);
    Reader r(bytes);
    EXPECT_EQ(r.u8(), 2);
    // Possible keys, current key indices, override keys, then the override lists (one).
    for (const std::vector<int>& v : {std::vector<int>{4, 5}, {1}, {5}, {}, {4, 9}}) {
        r.vec(v.empty() ? 1 : std::uint32_t(v.size()));
        for (int x : v) EXPECT_EQ(r.i32(), x);
    }
    EXPECT_TRUE(r.atEnd());
    K back;
    load(bytes, back);
    EXPECT_EQ(back, k);

    // Override keys without their lists are damage.
    xcMemoryArchive unpaired;
    unsigned char version = 2;
    Keys keys{4}, indices{0}, overrideKeys{4};
    std::vector<Keys> lists;
    unpaired || version || keys || indices || overrideKeys || lists;
    EXPECT_THROW(load(unpaired.bytes(), back), xcArchive::BadFormat);
    bytes[0] = 3;
    expectUnknownVersion(bytes, back, "xcOCKeySet");
    expectDamageRefused(store(k), [](const Bytes& data) {
        xcMemoryArchive in(data);
        K loaded;
        in || loaded;
        if (!loaded.isCurrentWildcard()) loaded.currentKeys();
        for (long key : loaded.keys())
            if (loaded.hasConfusionOverrides(key)) loaded.confusionOverrides(key);
    });
}

// Version 1 has keys and indices, no overrides; version 0 a single index. Old archives store
// their current indices unchecked: the set keeps them, a line refuses to name the character
// there, and changing the position repairs it.
TEST(OCKeySet, OldArchivesKeepIndicesOutOfRange) {
    const AlphabetHandle abc = letters();
    for (unsigned char version : {0, 1})
        for (long index : {-3L, 2L}) {
            SCOPED_TRACE(::testing::Message() << int(version) << ", " << index);
            xcMemoryArchive ar;
            Keys keys{10, 20}, indices{index};
            ar || version || keys;
            if (version == 0)
                ar || index;
            else
                ar || indices;
            K k({10}, 0);
            k.confusionOverrides(10, {});
            load(ar.bytes(), k);
            EXPECT_EQ(k.currentKeyIndices(), Keys{index});
            EXPECT_FALSE(k.hasConfusionOverrides(10));
            // currentKey and currentKeys check the index each on its own.
            expectThrows<xcOCDefs::BadIndex>(
                {{[&] { k.currentKey(); }, kBadIndexMsg}, {[&] { k.currentKeys(); }, kBadIndexMsg}},
                kBadIndex);
            const LineHandle line(
                new xcOCLine({K({10}, 0), k}, abc, xc2Rigid(), 1.0, 0.0, xcRadian(0.0), 0.0, ""));
            expectThrow<xcOCDefs::BadIndex>([&] { line->character(1); }, kBadIndexMsg, kBadIndex);
            const xcOCLineArrangement lines(Lines{line}, xc2Rigid(), 0.0, xcRadian(0.0), "");
            EXPECT_EQ(xfOCChangeCurrentKey(lines, 0, 1, 20L)->lines()[0]->character(1)->key(), 20);
        }
}

TEST(OCLine, ConstructorsPositionsAndTheirChecks) {
    const AlphabetHandle abc = letters();
    // Pose k is the pitch applied k times.
    const xc2Rigid pitch(xcRadian(0.5), xcVector<2>(3, 1));
    EXPECT_EQ(xcOCLine(keySets({10, 20, 30}), abc, pitch, 1, 0, xcRadian(0), 0, "").charPoses(),
              (Poses{xc2Rigid(), pitch, pitch * pitch}));

    // Both short constructors check the alphabet, then the counts and values, then every
    // possible key, not only the current one.
    const KeySets bad{K({10, 99}, 0)};
    const auto ev = [&](const AlphabetHandle& a, double sc, double t) {
        xcOCLine(bad, a, shift(10, 0), sc, t, xcRadian(0), 0, "");
    };
    const auto li = [&](const Poses& p, double sc) {
        xcOCLine(bad, abc, p, sc, 0, xcRadian(0), 0, "");
    };
    expectThrows<xcOCDefs::BadParams>(
        {{[&] { ev(AlphabetHandle(), 0, -1); }, "Alphabet must point to a valid object."},
         {[&] { ev(abc, 0, -1); }, kScale},
         {[&] { ev(abc, 1, -1); }, "Character translation uncertainty must be >= 0"},
         {[&] { li(Poses{}, 0); },
          "Number of character poses does not match the number of key sets."},
         {[&] { li(Poses(1), -2); }, kScale}},
        kBadParams);
    const char* keys = "A key in the set sequence is not available in the supplied alphabet.";
    expectThrows<xcOCDefs::BadKey>(
        {{[&] { ev(abc, 1, 0); }, keys}, {[&] { li(Poses(1), 1); }, keys}}, kBadKey);
    // The full constructor checks every count before any value.
    const Doubles bad4{1, 0, 1, 1};
    expectThrow<xcOCDefs::BadParams>(
        [&] {
            xcOCLine(keySets({10, 20, 30, 40}), abc, Poses(4), bad4, Doubles(4), Radians(4),
                     Doubles(3), "");
        },
        "Number of scale uncertainties does not match the number of key sets.", kBadParams);

    // A wild card, a blank, a normal character and two normal candidates: 2 normal positions.
    KeySets sets = keySets({-1, 60, 20});
    sets.push_back(K({10, 20, 30}, Keys{2, 0}));
    const xcOCLine line(sets, abc, shift(10, 0), 1, 0, xcRadian(0), 0, "");
    EXPECT_EQ(line.numNormalChars(), 2);
    const std::vector<ModelHandle> both = line.characters(3);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0]->key() * 100 + both[1]->key(), 3010);
    expectThrows<xcOCDefs::BadIndex>(
        {{[&] { line.character(4); }, "Invalid position index."},
         {[&] { line.characters(0); }, "The specified position contains a wildcard character."}},
        kBadIndex);
}

TEST(OCLine, EncloseRectAddsEachLevelsUncertainty) {
    const AlphabetHandle abc = letters();
    // Wild cards place nothing, even with a b that cannot be inverted.
    const xcOCLine wild(keySets({-1, -1}), abc, shift(20, 0), 1, 5, xcRadian(1), 1, "");
    EXPECT_EQ(
        wild.encloseRect(I, xcXform<2>(xcMatrix<2>(0, 0, 0, 0), {}), I, 0, xcRadian(0), 0, false),
        xcRect());
    const auto box = [&](double scale, double charT, double callerT = 0, double callerS = 0) {
        return twoChars(abc, scale, charT)
            ->encloseRect(I, I, I, callerT, xcRadian(0), callerS, false);
    };
    // The caller's uncertainties widen the whole: scaled by up to 1.5 about the line's origin,
    // then moved by up to 1.
    EXPECT_EQ(box(1, 0, 1, 0.5), xcRect(-1, -1, 47, 20));
    EXPECT_EQ(box(2, 0), xcRect(0, 0, 40, 24));   // scaled about each character's own origin
    EXPECT_EQ(box(1, 2), xcRect(-2, -2, 34, 16)); // the characters' own uncertainty
    // a places the line; c maps into the image's pels (here a client-from-image shift); b
    // cancels out.
    EXPECT_EQ(twoChars(abc)->encloseRect(
                  xcXform<2>::translation({100, 50}), xcXform<2>::translation({7, -3}),
                  xcXform<2>::translation({90, 40}), 0, xcRadian(0), 0, false),
              xcRect(10, 10, 30, 12));
    // A turn about the character's own origin by up to a quarter either way: the corner (10, 12)
    // reaches x = -12 at +90 degrees and y = -10 at -90 degrees, and its circle both axes.
    const xcOCLine turning(keySets({10}), abc, shift(0, 0), 1, 0, xcRadian(std::numbers::pi / 2), 0,
                           "");
    const xcRect t = turning.encloseRect(I, I, I, 0, xcRadian(0), 0, false);
    const double d = std::hypot(10.0, 12.0), got[] = {t.x(), t.y(), t.right(), t.bottom()},
                 want[] = {-12, -10, d, d};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], want[i], 1e-9);
    expectThrow<xcOCDefs::BadParams>([&] { box(1, 0, std::numeric_limits<double>::quiet_NaN()); },
                                     "Translation uncertainty must be >= 0", kBadParams);
    expectThrow<xcOCDefs::NotCompiled>(
        [&] { twoChars(abc)->encloseRect(I, I, I, 0, xcRadian(0), 0, true); }, "", kNotCompiled);

    // Confusable characters: key 2's model is 30 x 12 and row 1 scores 0.9 against it, 0.1
    // against the 10 x 40 key 3.
    const ModelHandle wide(new xcOCModel(2, makeImage(xcPelRect(0, 0, 30, 12)),
                                         xcPelRect(0, 0, 30, 12), xcOCModel::eNormal, "w", ""));
    const ModelHandle tall(new xcOCModel(3, makeImage(xcPelRect(0, 0, 10, 40)),
                                         xcPelRect(0, 0, 10, 40), xcOCModel::eNormal, "t", ""));
    const AlphabetHandle compiled =
        compiledAlphabet({normal(1, "n"), wide, tall}, 0.5, [](long i, long j) {
            return i == j ? 1.0 : i == 0 && j == 1 ? 0.9 : 0.1;
        });
    const xcOCLine line(KeySets{K({1}, 0)}, compiled, shift(0, 0), 1, 0, xcRadian(0), 0, "");
    EXPECT_EQ(line.encloseRect(I, I, I, 0, xcRadian(0), 0, false), xcRect(0, 0, 10, 12));
    EXPECT_EQ(line.encloseRect(I, I, I, 0, xcRadian(0), 0, true), xcRect(0, 0, 30, 12));
}

TEST(OCLine, ArchiveLayoutAndVersions) {
    xcOCLine line(keySets({10}), letters(), Poses{xc2Rigid(xcRadian(0.5), xcVector<2>(3, 4))}, 2.0,
                  1.5, xcRadian(0.25), 0.125, "L");
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
}

TEST(OCLineArrangement, ConstructorsAndEncloseRect) {
    const AlphabetHandle abc = letters();
    const LineHandle l0 = twoChars(abc);
    const Lines one{l0}, two{l0, l0};
    EXPECT_EQ(
        xcOCLineArrangement(Lines{l0, l0, l0}, shift(0, 30), 1.0, xcRadian(0.1), "").linePoses(),
        (Poses{shift(0, 0), shift(0, 30), shift(0, 60)}));
    // The evenly spaced form checks the uncertainties before the count; the full form checks
    // line by line (the second message spelled as it stands).
    const Radians rBad{xcRadian(0), xcRadian(-1)};
    expectThrows<xcOCDefs::BadParams>(
        {{[&] { xcOCLineArrangement(one, shift(0, 1), -1, xcRadian(-1), ""); },
          "Line translation uncertainty must be >= 0"},
         {[&] { xcOCLineArrangement(one, Poses{}, 0, xcRadian(0), ""); },
          "The number of line poses does not match the number of lines."},
         {[&] {
              xcOCLineArrangement(two, Poses(2), Doubles{0, -1}, rBad, "");
          },
          "Line position uncertaintiesp must be >= 0"}},
        kBadParams);

    EXPECT_EQ(xcOCLineArrangement().encloseRect(I, I, I, 0, xcRadian(0), 0, false), xcRect());
    // The line's own uncertainty (3), then the caller's (1) on top.
    const xcOCLineArrangement loose(one, Poses{shift(100, 50)}, 3, xcRadian(0), "");
    EXPECT_EQ(loose.encloseRect(xcXform<2>::translation({-100, 0}), I, I, 1, xcRadian(0), 0, false),
              xcRect(-4, 46, 38, 20));
    // Two lines 30 apart: the union, here scaled by up to 1.5 about the arrangement's origin; a
    // line turned by a quarter runs down the y axis. Equality takes in the name.
    const xcOCLineArrangement both(two, shift(0, 30), 0, xcRadian(0), "");
    EXPECT_EQ(both.encloseRect(I, I, I, 0, xcRadian(0), 0.5, false), xcRect(0, 0, 45, 63));
    EXPECT_NE(both, xcOCLineArrangement(two, shift(0, 30), 0, xcRadian(0), "named"));
    const xcOCLineArrangement turned(one, Poses{xc2Rigid(xcRadian(std::numbers::pi / 2), {0, 0})},
                                     0, xcRadian(0), "");
    const xcRect t = turned.encloseRect(I, I, I, 0, xcRadian(0), 0, false);
    const double got[] = {t.x(), t.y(), t.width(), t.height()}, want[] = {-12, 0, 12, 30};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], want[i], 1e-12);
    expectThrow<xcOCDefs::BadParams>([&] { both.encloseRect(I, I, I, 0, xcRadian(0), -1, false); },
                                     "Scale uncertainty must be >= 0", kBadParams);
    expectThrow<xcOCDefs::NotCompiled>([&] { both.encloseRect(I, I, I, 0, xcRadian(0), 0, true); },
                                       "", kNotCompiled);
}

TEST(OCLineArrangement, ArchiveLayoutSharingAndDamage) {
    const AlphabetHandle abc = alphabetOf(2);
    const LineHandle l0 = twoChars(abc), l1 = twoChars(abc, 1, 0, "other");
    EXPECT_NE(*l0, *l1); // they differ in their names only
    // The same line twice and two lines of one alphabet: each shared object is written once.
    xcPtrHandle_const<xcOCLineArrangement> h(new xcOCLineArrangement(
        Lines{l0, l1, l0}, Poses{shift(0, 0), shift(0, 30), shift(0, 60)}, Doubles{1, 2, 3},
        Radians{xcRadian(0.5), xcRadian(0.25), xcRadian(0)}, "arr"));
    const Bytes bytes = store(h);
    Reader r(bytes);
    EXPECT_EQ(r.u8(), 1); // new framed object
    EXPECT_EQ(r.str(), "xcOCLineArrangement");
    EXPECT_EQ(r.u8(), 0); // version
    r.vec(3);             // lines
    // The arrangement is object 0; the lines and their alphabet are objects 1, 2 (with its two
    // models 3 and 4) and 5, and the third line is a back-reference to object 1. What follows
    // has a fixed size: the back-reference (5 bytes), three poses (5 + 72), two vectors of
    // three doubles (2 x 29) and the name (4 + 3).
    ASSERT_GT(bytes.size(), 147u);
    const Bytes rest(bytes.end() - 147, bytes.end());
    Reader tail(rest);
    EXPECT_EQ(tail.u8(), 2);
    EXPECT_EQ(tail.u32(), 1u);
    tail.vec(3); // line poses
    for (double v : {0.0, 0.0, 0.0, 0.0, 0.0, 30.0, 0.0, 0.0, 60.0}) EXPECT_EQ(tail.f64(), v);
    // translation uncertainties, then rotation uncertainties as doubles
    for (const Doubles& d : {Doubles{1, 2, 3}, Doubles{0.5, 0.25, 0}}) {
        tail.vec(3);
        for (double v : d) EXPECT_EQ(tail.f64(), v);
    }
    EXPECT_EQ(tail.str(), "arr");
    EXPECT_TRUE(tail.atEnd());

    xcPtrHandle_const<xcOCLineArrangement> back;
    load(bytes, back);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, *h);
    EXPECT_EQ(back->lines()[0], back->lines()[2]);
    EXPECT_EQ(back->lines()[0]->alphabet(), back->lines()[1]->alphabet());

    xcOCLineArrangement target;
    Bytes plain = storeObject(target);
    plain[0] = 1;
    expectUnknownVersion(plain, static_cast<xcPersistent&>(target), "xcOCLineArrangement");
    // The damage reaches the lines, their alphabet and its models too.
    expectDamageRefused(bytes, [](const Bytes& data) {
        xcMemoryArchive in(data);
        xcPtrHandle_const<xcOCLineArrangement> loaded;
        in || loaded;
        if (!loaded) return;
        for (const LineHandle& l : loaded->lines())
            if (l) l->numNormalChars();
    });
}

TEST(OCChangeCurrentKeys, ChangesOnePositionAndSharesTheOtherLines) {
    // Position 2 of line 0 may be 10, 30, 40 or 50.
    const AlphabetHandle abc = letters();
    const LineHandle l0(new xcOCLine({K({10}, 0), K({20}, 0), K({10, 30, 40, 50}, 0)}, abc,
                                     shift(12, 0), 1.0, 2.0, xcRadian(0.1), 0.05, "first")),
        l1(new xcOCLine({K({60, 20}, 1)}, abc, shift(12, 0), 1.5, 0.0, xcRadian(0), 0.0, "2nd"));
    const xcOCLineArrangement old(Lines{l0, l1}, shift(0, 20), 3.0, xcRadian(0.2), "two"),
        saved = old;
    const xcPtrHandle<xcOCLineArrangement> changed = xfOCChangeCurrentKey(old, 0, 2, 30);
    EXPECT_EQ(changed->lines()[1], old.lines()[1]); // the same object
    KeySets sets = l0->keySetSequence();
    sets[2].currentKeyIndices({1});
    EXPECT_EQ(*changed->lines()[0],
              xcOCLine(sets, abc, l0->charPoses(), l0->charScales(), l0->translationUncertainties(),
                       l0->rotationUncertainties(), l0->scaleUncertainties(), "first"));
    EXPECT_EQ(changed->linePoses(), old.linePoses());
    // Several keys in the given order; by name, every character so called in alphabet order;
    // the wild card.
    const auto at2 = [](const auto& h) { return h->lines()[0]->keySetSequence()[2]; };
    EXPECT_EQ(at2(xfOCChangeCurrentKeys(old, 0, 2, Keys{50, 10})).currentKeyIndices(),
              (Keys{3, 0}));
    EXPECT_EQ(at2(xfOCChangeCurrentKeys(old, 0, 2, std::string("o"))).currentKeys(),
              (Keys{40, 50}));
    EXPECT_TRUE(xfOCChangeCurrentKey(old, 1, 0)->lines()[1]->isWildcard(0));

    // An empty key list is refused before the indices are looked at. By name: the line index
    // first, an unknown name gives no keys, a known name not possible at the position is refused.
    const char* notInSet = "The specified key is not in the keySet for this position.";
    expectThrows<xcOCDefs::BadKey>(
        {{[&] { xfOCChangeCurrentKeys(old, 9, 9, Keys{}); },
          "At least one of the keys is not found in the alphabet."},
         {[&] { xfOCChangeCurrentKey(old, 0, 2, 20); }, notInSet},
         {[&] { xfOCChangeCurrentKeys(old, 0, 2, std::string("b")); }, notInSet}},
        kBadKey);
    expectThrows<xcOCDefs::BadParams>(
        {{[&] { xfOCChangeCurrentKey(old, 2, 0, 10); }, "The supplied line index is not valid."},
         {[&] { xfOCChangeCurrentKey(old, 0, 3, 10); },
          "The supplied position index is not valid."}},
        kBadParams);
    expectThrow<xcOCDefs::BadIndex>([&] { xfOCChangeCurrentKeys(old, 0, 2, Keys(2, 30)); }, kUnique,
                                    kBadIndex);
    EXPECT_EQ(old, saved);
}
