#include "oc/occhar/char_key.h"
#include "oc/occhar/character.h"

#include "core/text/charcode.h"
#include "occhar_test_util.h"

#include <algorithm>
#include <tuple>

namespace {

using namespace occhar_test;
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

} // namespace
