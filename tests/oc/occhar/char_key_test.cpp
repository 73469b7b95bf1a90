#include "oc/occhar/char_key.h"

#include "core/text/charcode.h"
#include "occhar_test_util.h"

#include <algorithm>

namespace {

using namespace occhar_test;
using K = xcOCCharKey;

TEST(CharKey, FieldsDefaultsAndCodeForms) {
    EXPECT_EQ(K(), K(0xF800, -1, -1, -1));
    EXPECT_FALSE(K().isCharacterCodeKnown() || K().isInstanceSpecified() ||
                 K().isVariantSpecified() || K().isFontIDSpecified());
    K a(65, 1, 2, 3); // code, instance, variant, font
    EXPECT_EQ(a.variant(), 2);
    EXPECT_EQ(a.fontID(), 3);
    a.instance(-5); // other negatives are specified; 0xFFFFFFFF is -1
    a.variant(0xFFFFFFFFL);
    EXPECT_TRUE(a.isInstanceSpecified());
    EXPECT_FALSE(a.isVariantSpecified());
    EXPECT_EQ(static_cast<char>(a), 'A');
    EXPECT_TRUE(K(0x1F600).isRepresentableAsWChar());
    EXPECT_THROW(static_cast<void>(static_cast<char>(K(0x1F600))),
                 xcCharCodeDefs::NotRepresentable);
    EXPECT_TRUE(a.equalCharacterCode(K(65, 9)) && !a.equalCharacterCode(66));
    xoc_charKey rec{};
    K(0x1F600, 4, 5, 6).getKey(rec);
    EXPECT_EQ(rec.characterCode, 0x1F600u);
    EXPECT_EQ(rec.variant, 5);
    a.setKey(rec);
    EXPECT_EQ(a, K(0x1F600, 4, 5, 6));
}

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
    EXPECT_FALSE(K().isMatch(K()));
    EXPECT_FALSE(K(0xF800, 1).isMatch(K(0xF800, 1)));
    EXPECT_TRUE(K(65, -1).isMatch(K(65, 3)));
    EXPECT_FALSE(K(65, 2).isMatch(K(65, 3)));
    EXPECT_TRUE(K(65, 1, -1, 4).isMatch(K(65, -1, 2, 4)));
    EXPECT_FALSE(K(65, 1, 2, 4).isMatch(K(65, 1, 2, 5)));
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
    try {
        load(v2, back);
        ADD_FAILURE() << "version 2 loaded";
    } catch (const xcArchive::UnknownVersion& e) {
        EXPECT_EQ(e.number(), 2);
    }
    EXPECT_THROW(load(Bytes(b.begin(), b.end() - 1), back), xcArchive::EndOfArchive);
    EXPECT_EQ(back, K(66, 7, -1, 8)); // failed loads leave the key alone
}

} // namespace
