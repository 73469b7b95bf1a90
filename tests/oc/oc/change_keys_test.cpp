#include "oc/oc/change_keys.h"

#include "foundation/oc_defs.h"
#include "oc/oc/fixtures.h"

#include <gtest/gtest.h>

using namespace oc_test;

namespace {

using LineHandle = xcPtrHandle_const<xcOCLine>;
using Lines = xcOCLineArrangement::Lines;

// Alphabet: keys 10 "a", 20 "b", 30 "c", 40 "o", 50 "o" (two characters share a name), 60 "z".
AlphabetHandle letters() {
    return AlphabetHandle(new xcOCAlphabet({normal(10, "a"), normal(20, "b"), normal(30, "c"),
                                            normal(40, "o"), normal(50, "o"), normal(60, "z")},
                                           0.5, false, ""));
}

// Two lines; position 2 of line 0 may be 10, 30, 40 or 50.
xcOCLineArrangement arrangement(const AlphabetHandle& abc) {
    const std::vector<xcOCKeySet> sets0{xcOCKeySet({10}, 0), xcOCKeySet({20}, 0),
                                        xcOCKeySet({10, 30, 40, 50}, 0)};
    const std::vector<xcOCKeySet> sets1{xcOCKeySet({60, 20}, 1)};
    const LineHandle l0(new xcOCLine(sets0, abc, xc2Rigid(xcRadian(0), {12, 0}), 1.0, 2.0,
                                     xcRadian(0.1), 0.05, "first"));
    const LineHandle l1(new xcOCLine(sets1, abc, xc2Rigid(xcRadian(0), {12, 0}), 1.5, 0.0,
                                     xcRadian(0), 0.0, "second"));
    return xcOCLineArrangement(Lines{l0, l1}, xc2Rigid(xcRadian(0), {0, 20}), 3.0, xcRadian(0.2),
                               "two lines");
}

} // namespace

TEST(OCChangeCurrentKeys, ChangesOnePositionAndSharesTheOtherLines) {
    const AlphabetHandle abc = letters();
    const xcOCLineArrangement old = arrangement(abc), saved = old;
    const xcPtrHandle<xcOCLineArrangement> changed = xfOCChangeCurrentKey(old, 0, 2, 30);
    // Line 0 is new, line 1 is the same object.
    EXPECT_NE(changed->lines()[0], old.lines()[0]);
    EXPECT_EQ(changed->lines()[1], old.lines()[1]);
    // Only the current key of position 2 differs; the old arrangement is untouched.
    const xcOCLine& before = *old.lines()[0];
    std::vector<xcOCKeySet> sets = before.keySetSequence();
    sets[2].currentKeyIndices({1});
    EXPECT_EQ(*changed->lines()[0],
              xcOCLine(sets, abc, before.charPoses(), before.charScales(),
                       before.translationUncertainties(), before.rotationUncertainties(),
                       before.scaleUncertainties(), "first"));

    // Several keys, in the given order.
    const auto several = xfOCChangeCurrentKeys(old, 0, 2, std::vector<long>{50, 10});
    EXPECT_EQ(several->lines()[0]->keySetSequence()[2].currentKeyIndices(),
              (std::vector<long>{3, 0}));
    // By name: every character called "o", in alphabet order.
    const auto named = xfOCChangeCurrentKeys(old, 0, 2, std::string("o"));
    EXPECT_EQ(named->lines()[0]->keySetSequence()[2].currentKeys(), (std::vector<long>{40, 50}));
    // The wild-card form.
    const auto wild = xfOCChangeCurrentKey(old, 1, 0);
    EXPECT_TRUE(wild->lines()[1]->isWildcard(0));
    EXPECT_EQ(wild->lines()[0], old.lines()[0]);
    EXPECT_EQ(old, saved);
}

TEST(OCChangeCurrentKeys, RefusesBadIndicesAndKeys) {
    const xcOCLineArrangement old = arrangement(letters()), saved = old;
    const char* line = "The supplied line index is not valid.";
    const char* position = "The supplied position index is not valid.";
    const char* notInSet = "The specified key is not in the keySet for this position.";
    const char* notFound = "At least one of the keys is not found in the alphabet.";
    // An empty key list is refused before the indices are looked at. By name: the line index
    // first, an unknown name gives no keys, a known name not possible at the position is refused.
    expectThrows<xcOCDefs::BadKey>(
        {{[&] { xfOCChangeCurrentKeys(old, 9, 9, std::vector<long>{}); }, notFound},
         {[&] { xfOCChangeCurrentKey(old, 0, 2, 20); }, notInSet},
         {[&] { xfOCChangeCurrentKeys(old, 0, 2, std::string("z")); }, notInSet}},
        kBadKey);
    expectThrows<xcOCDefs::BadParams>({{[&] { xfOCChangeCurrentKey(old, 2, 0, 10); }, line},
                                       {[&] { xfOCChangeCurrentKey(old, 0, 3, 10); }, position}},
                                      kBadParams);
    const std::vector<long> twice(2, 30);
    expectThrow<xcOCDefs::BadIndex>([&] { xfOCChangeCurrentKeys(old, 0, 2, twice); },
                                    "Key indices must be unique.", kBadIndex);
    EXPECT_EQ(old, saved);
}
