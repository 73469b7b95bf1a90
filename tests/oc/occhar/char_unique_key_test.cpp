#include "oc/occhar/character.h"

#include <gtest/gtest.h>

namespace {

using K = xcOCCharKey;
using Keys = std::vector<K>;

int uniqueInstance(const K& key, const Keys& keys) {
    return static_cast<int>(xcOCChar::makeUniqueInstanceKey(key, keys).instance());
}

TEST(CharUniqueKey, SmallestFreeInstance) {
    const Keys keys = {K(65, 0), K(65, 1), K(65, 3), K(66, 2), K(65, -1)};
    EXPECT_EQ(uniqueInstance(K(65, -1), keys), 2);
    EXPECT_EQ(uniqueInstance(K(67, -1), keys), 0);
    // Specified and unused: unchanged however far from the others; font and variant are kept.
    EXPECT_EQ(xcOCChar::makeUniqueInstanceKey(K(65, 1000, 4, 5), keys), K(65, 1000, 4, 5));
    EXPECT_EQ(xcOCChar::makeUniqueInstanceKey(K(65, 3, 4, 5), keys), K(65, 2, 4, 5));
    EXPECT_EQ(uniqueInstance(K(70, -1), Keys{K(70, -5), K(70, 1)}), 0);
    EXPECT_EQ(uniqueInstance(K(70, 0), Keys{K(70, 1), K(70, 0)}), 2);
    // Repeats stay in the sorted list: [0, 0, 1] first differs from its position at 1.
    EXPECT_EQ(uniqueInstance(K(65, -1), Keys{K(65, 0), K(65, 1), K(65, 0)}), 1);
    std::vector<xcOCChar> chars(2);
    chars[0].key(K(65, 0));
    chars[1].key(K(65, 1));
    EXPECT_EQ(xcOCChar::makeUniqueInstanceKey(K(65, 1), chars).instance(), 2);
}

TEST(CharUniqueKey, WholeLists) {
    Keys keys = {K(65, -1), K(65, -1), K(66, -1)};
    EXPECT_TRUE(xcOCChar::makeUniqueInstanceKeys(keys));
    EXPECT_EQ(keys, (Keys{K(65, 0), K(65, 1), K(66, 0)}));
    Keys one = {K(65, -1)}; // numbering the first key alone is no change
    EXPECT_FALSE(xcOCChar::makeUniqueInstanceKeys(one));
    EXPECT_EQ(one[0].instance(), 0);
    Keys clash = {K(65, 2), K(65, 2), K(65, 2)};
    EXPECT_TRUE(xcOCChar::makeUniqueInstanceKeys(clash));
    EXPECT_EQ(clash, (Keys{K(65, 2), K(65, 0), K(65, 1)}));
    Keys empty;
    EXPECT_FALSE(xcOCChar::makeUniqueInstanceKeys(empty));
}

} // namespace
