#include "oc/oc/key_set.h"

#include "oc/oc/change_keys.h"
#include "oc/oc/line_arrangement.h"

#include "foundation/oc_defs.h"
#include "oc/oc/fixtures.h"

#include <gtest/gtest.h>

using namespace oc_test;

namespace {

using K = xcOCKeySet;
using Keys = std::vector<long>;

const char* const kBadIndices =
    "At least one of the current key indices is not valid for specified set of possible keys.";
const char* const kBadIndexMsg =
    "Current key index is not valid for specified set of possible keys.";
const char* const kNoKey = "Wild-card characters have no key.";
const char* const kUnique = "Key indices must be unique.";
const char* const kSameKeys = "Possible keys for a character position must be unique.";
const char* const kOne = "Set of current key indices must contain only one element.";
const char* const kNotMember = "The specified key is not a member of the key set.";
const char* const kNoOverrides = "There are no confusion keys overrides for the specified key.";

} // namespace

TEST(OCKeySet, WildCardsAndCurrentKeys) {
    K def;
    EXPECT_TRUE(def.isCurrentWildcard());
    EXPECT_EQ(def.currentKeyIndices(), Keys{-1});
    expectThrow<xcOCDefs::BadKey>([&] { def.currentKey(); }, kNoKey, kBadKey);
    expectThrow<xcOCDefs::BadKey>([&] { def.currentKeys(); },
                                  "Wild-card characters have no key index.", kBadKey);

    K k({10, 20, 30}, 1);
    EXPECT_EQ(k.currentKey(), 20);
    // {2, -1}: a wild card, but the first index is not -1, so currentKey complains of the count.
    k.currentKeyIndices({2, -1});
    EXPECT_TRUE(k.isCurrentWildcard());
    expectThrows<xcOCDefs::BadParams>(
        {{[&] { k.currentKey(); }, kOne}, {[&] { k.currentKeyIndex(0); }, kOne}}, kBadParams);
    k.currentKeyIndices({-1, 2});
    expectThrow<xcOCDefs::BadKey>([&] { k.currentKey(); }, kNoKey, kBadKey);
    k.currentKeyIndices({2, 0});
    EXPECT_EQ(k.currentKeys(), (Keys{30, 10}));

    // One index: -1 makes a wild card, -2 and 3 are out of range; several must be unique.
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
    k.currentKeyIndex(-1);
    EXPECT_TRUE(k.isCurrentWildcard());

    // No current index at all: accepted, and "the first" one is not there.
    k.currentKeyIndices({});
    EXPECT_FALSE(k.isCurrentWildcard());
    EXPECT_TRUE(k.currentKeys().empty());
    expectThrows<xcOCDefs::BadIndex>(
        {{[&] { k.currentKey(); }, kBadIndexMsg}, {[&] { k.currentKeyIndex(0); }, kBadIndexMsg}},
        kBadIndex);
}

TEST(OCKeySet, KeysAreUniqueAndKeepTheCurrentIndicesValid) {
    expectThrow<xcOCDefs::SameKey>([] { K({1, 2, 1}, 0); }, kSameKeys, kSameKey);
    const Keys two{1, 2}, zeros(2, 0);
    expectThrows<xcOCDefs::BadIndex>(
        {{[&] { K(two, 2); }, kBadIndices}, {[&] { K(two, zeros); }, kUnique}}, kBadIndex);

    K k({5, 6, 7}, 2);
    k.confusionOverrides(5, {6});
    const K saved = k;
    // Fewer keys than a current index needs: refused, nothing changes.
    expectThrow<xcOCDefs::BadIndex>([&] { k.keys({5, 6}); }, kBadIndices, kBadIndex);
    expectThrow<xcOCDefs::SameKey>([&] { k.keys({5, 5, 6}); }, kSameKeys, kSameKey);
    EXPECT_EQ(k, saved);
    // A successful change drops every override.
    k.keys({5, 6, 8});
    EXPECT_FALSE(k.hasConfusionOverrides(5));
    EXPECT_EQ(k.currentKey(), 8);
}

TEST(OCKeySet, ConfusionOverridesAndEquality) {
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
    EXPECT_EQ(k.confusionOverrides(5), Keys{9});
    // Removing 5 moves the last override (9) into its place; 7 keeps its list.
    k.removeConfusionOverrides(5);
    EXPECT_FALSE(k.hasConfusionOverrides(5));
    EXPECT_EQ(k.confusionOverrides(7), Keys{5});
    EXPECT_TRUE(k.confusionOverrides(9).empty());
    k.removeConfusionOverrides(9);
    k.removeConfusionOverrides(7);
    EXPECT_EQ(k, K({5, 7, 9}, 0));

    // Equality ignores the order in which overrides were set.
    K a({1, 2, 3}, 0), b({1, 2, 3}, 0);
    a.confusionOverrides(1, {2});
    a.confusionOverrides(3, {1, 2});
    b.confusionOverrides(3, {1, 2});
    b.confusionOverrides(1, {2});
    EXPECT_EQ(a, b);
    b.confusionOverrides(1, {2, 3});
    EXPECT_NE(a, b);
    EXPECT_NE(K({1, 2}, 0), K({2, 1}, 0));
    EXPECT_NE(K({1, 2}, 0), K({1, 2}, 1));
}

TEST(OCKeySet, FromCharacterNames) {
    // Two characters share the name "o" (keys 20 and 40).
    const AlphabetHandle abc(new xcOCAlphabet(
        {normal(10, "x"), normal(20, "o"), normal(30, "y"), normal(40, "o"), blank(50, " ")}, 0.5,
        false, ""));
    const K k(abc, {"y", "o", " "}, "o");
    EXPECT_EQ(k.keys(), (Keys{30, 20, 40, 50}));
    EXPECT_EQ(k.currentKeyIndices(), (Keys{1, 2}));

    const std::vector<std::string> repeated{"zz", "x", "zz"}, unknown{"x", "zz"}, xy{"x", "y"};
    expectThrow<xcOCDefs::SameKey>(
        [&] { K(abc, repeated, "x"); },
        "Possible character names for a character position must be unique.", kSameKey);
    expectThrow<xcOCDefs::BadKey>(
        [&] { K(abc, unknown, "nothing"); },
        "At least one of the character names is not found in the supplied alphabet.", kBadKey);
    expectThrow<xcOCDefs::BadIndex>(
        [&] { K(abc, xy, "o"); },
        "Current character is not valid for specified set of possible character names.", kBadIndex);
}

TEST(OCKeySet, ArchiveVersionsAndLayout) {
    K k({4, 5}, 1);
    k.confusionOverrides(5, {4, 9});
    Bytes bytes = store(k);
    Reader r(bytes);
    EXPECT_EQ(r.u8(), 2);
    // Possible keys, current key indices, override keys, then the override lists.
    for (const std::vector<int>& v : {std::vector<int>{4, 5}, {1}, {5}}) {
        r.vec(std::uint32_t(v.size()));
        for (int x : v) EXPECT_EQ(r.i32(), x);
    }
    r.vec(1);
    r.vec(2);
    EXPECT_EQ(r.i32(), 4);
    EXPECT_EQ(r.i32(), 9);
    EXPECT_TRUE(r.atEnd());
    K back;
    load(bytes, back);
    EXPECT_EQ(back, k);

    // Version 1: keys and indices, no overrides; version 0: a single index.
    for (unsigned char version : {0, 1}) {
        xcMemoryArchive ar;
        Keys keys{7, 8, 9}, indices{2, 0};
        long index = -1;
        ar || version || keys;
        if (version == 0)
            ar || index;
        else
            ar || indices;
        K old = k;
        load(ar.bytes(), old);
        EXPECT_EQ(old.keys(), keys);
        EXPECT_EQ(old.currentKeyIndices(), version == 0 ? Keys{-1} : indices);
        EXPECT_FALSE(old.hasConfusionOverrides(7));
    }

    bytes[0] = 3;
    K untouched = k;
    expectUnknownVersion(bytes, untouched, "xcOCKeySet");
    damageRun(store(k), [](const Bytes& data) {
        xcMemoryArchive in(data);
        K loaded;
        in || loaded;
        if (!loaded.isCurrentWildcard()) loaded.currentKeys();
        for (long key : loaded.keys())
            if (loaded.hasConfusionOverrides(key)) loaded.confusionOverrides(key);
    });
}

TEST(OCKeySet, LoadedIndexOutOfRangeIsKeptAndRefusedWhereAKeyIsRead) {
    // Old archives store their current indices unchecked; the set keeps them as they are.
    const AlphabetHandle abc = alphabetOf(2);
    for (unsigned char version : {0, 1}) {
        for (long bad : {-3L, 2L}) {
            xcMemoryArchive ar;
            Keys keys{10, 20}, indices{bad};
            ar || version || keys;
            if (version == 0)
                ar || bad;
            else
                ar || indices;
            K k;
            load(ar.bytes(), k);
            EXPECT_EQ(k.currentKeyIndices(), Keys{bad});
            EXPECT_EQ(k.currentKeyIndex(), bad);
            EXPECT_FALSE(k.isCurrentWildcard());
            expectThrows<xcOCDefs::BadIndex>(
                {{[&] { k.currentKey(); }, kBadIndexMsg}, {[&] { k.currentKeys(); }, kBadIndexMsg}},
                kBadIndex);

            // A line holding it refuses to name the character there, and so does the
            // arrangement; changing another position keeps it, changing it repairs it.
            const std::vector<K> sets{K({10}, 0), k};
            const xcPtrHandle_const<xcOCLine> line(
                new xcOCLine(sets, abc, xc2Rigid(), 1.0, 0.0, xcRadian(0.0), 0.0, ""));
            expectThrows<xcOCDefs::BadIndex>({{[&] { line->character(1); }, kBadIndexMsg},
                                              {[&] { line->characters(1); }, kBadIndexMsg}},
                                             kBadIndex);
            const xcOCLineArrangement lines(xcOCLineArrangement::Lines{line}, xc2Rigid(), 0.0,
                                            xcRadian(0.0), "");
            EXPECT_THROW(lines.encloseRect(xcXform<2>(), xcXform<2>(), xcXform<2>(), 0.0,
                                           xcRadian(0.0), 0.0, false),
                         xcOCDefs::BadIndex);
            const auto other = xfOCChangeCurrentKey(lines, 0, 0);
            EXPECT_EQ(other->lines()[0]->keySetSequence()[1].currentKeyIndices(), Keys{bad});
            const auto fixed = xfOCChangeCurrentKey(lines, 0, 1, 20L);
            EXPECT_EQ(fixed->lines()[0]->character(1)->key(), 20);
        }
    }
}
