#include "oc/oc/alphabet.h"

#include "core/base/errors.h"
#include "foundation/oc_defs.h"
#include "oc/oc/fixtures.h"

#include <gtest/gtest.h>

#include <limits>

using namespace oc_test;

namespace {

const char* const kNoChar = "The character for the specified key does not exist in the alphabet.";
const char* const kThreshold = "Confusion threshold must be between 0 and 1.";
const char* const kDupKeys = "The keys for at least two of the supplied characters are identical.";

xcOCAlphabet loadAlphabet(const Bytes& bytes) {
    xcOCAlphabet a;
    loadObject(bytes, a);
    return a;
}

} // namespace

TEST(OCAlphabet, ConstructionAndThreshold) {
    const xcOCAlphabet def;
    EXPECT_TRUE(def.isCompiled());
    EXPECT_EQ(def.confusionMatrix().rows(), 1);

    const xcOCAlphabet a({normal(1, "a"), blank(2, "sp")}, 0.25, false, "abc");
    EXPECT_FALSE(a.isCompiled());
    EXPECT_EQ(a.characterIndex(2), 1);
    EXPECT_EQ(a.characterIndex(3), -1);
    expectThrow<xcOCDefs::BadKey>([&] { a.character(9); }, kNoChar, kBadKey);
    expectThrow<xcOCDefs::NotCompiled>([&] { a.confusion(1, 2); }, "", kNotCompiled);

    // The threshold is checked first, then the keys.
    const xcOCAlphabet::Models same{normal(1, "a"), normal(1, "b")};
    expectThrow<xcOCDefs::BadParams>([&] { xcOCAlphabet(same, 1.5, false, ""); }, kThreshold,
                                     kBadParams);
    expectThrow<xcOCDefs::SameKey>([&] { xcOCAlphabet(same, 0.5, false, ""); }, kDupKeys, kSameKey);

    // The threshold setter takes 0 and 1 and keeps the compiled state.
    xcOCAlphabet c = loadAlphabet(compiledArchive({normal(1, "a")}));
    const xcOCAlphabet saved = c;
    for (double bad : {1.0000001, -0.0001, std::numeric_limits<double>::quiet_NaN()}) {
        expectThrow<xcOCDefs::BadParams>([&] { c.confusionThreshold(bad); }, kThreshold,
                                         kBadParams);
        EXPECT_EQ(c, saved);
    }
}

TEST(OCAlphabet, RemoveKeepsACompiledAlphabetCompiledAndMovesTheLastCharacter) {
    xcOCAlphabet a =
        loadAlphabet(compiledArchive({normal(1, "a"), normal(2, "b"), normal(3, "c")}));
    // Key k was built at index k - 1: its scores are 10 (i - 1) + j and its offsets (i - 1, j - 1).
    const xcOCAlphabet saved = a;
    a.remove(std::vector<long>{});
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
    EXPECT_EQ(a.characterIndex(2), 1);
    EXPECT_EQ(a.confusionMatrix().cols(), 2);
    ASSERT_EQ(a.offsets().size(), 2u);
    for (long i = 2; i <= 3; ++i)
        for (long j = 2; j <= 3; ++j) {
            EXPECT_EQ(a.confusion(i, j), 10.0 * (i - 1) + j) << i << ", " << j;
            EXPECT_EQ(a.characterOffset(i, j), xcXform<2>::translation({i - 1.0, j - 1.0}));
        }
    EXPECT_EQ(a.confusionMatrix()(0, 0), 23.0); // the third character's diagonal

    // Removing the last ones leaves a compiled empty alphabet with a 1 x 1 matrix.
    a.remove({2, 3});
    EXPECT_TRUE(a.isCompiled());
    EXPECT_EQ(a.confusionMatrix().rows(), 1);
    EXPECT_TRUE(a.offsets().empty());
}

TEST(OCAlphabet, ConfusabilityUsesTheRowCharactersThreshold) {
    // Threshold 0.5; the scores are chosen around it and around the blank row's 0: a blank row
    // is confusable at any positive score, a normal row needs more than the threshold.
    const double m[3][3] = {{0, 0.01, 0}, {0.3, 0, 0.6}, {0, 0.5, 0}};
    const xcOCAlphabet a = *compiledAlphabet({blank(5, "sp"), normal(6, "o"), normal(7, "q")}, 0.5,
                                             [&](long i, long j) { return m[i][j]; });
    EXPECT_TRUE(a.areConfusable(5, 6));
    EXPECT_FALSE(a.areConfusable(5, 7));
    EXPECT_TRUE(a.areConfusable(6, 7));
    EXPECT_FALSE(a.areConfusable(7, 6));
    expectThrow<xcOCDefs::BadKey>([&] { a.areConfusable(6, 8); }, kNoChar, kBadKey);

    const xcOCAlphabet u({normal(6, "o")}, 0.5, false, "");
    expectThrow<xcOCDefs::NotCompiled>([&] { u.areConfusable(6, 6); }, "", kNotCompiled);
}

TEST(OCAlphabet, ArchiveWritesVersionOneFieldByField) {
    xcOCAlphabet a({blank(4, "sp")}, 0.75, false, "AB");
    const Bytes bytes = storeObject(a);
    Reader r(bytes);
    EXPECT_EQ(r.u8(), 1);
    EXPECT_EQ(r.str(), "AB");
    EXPECT_EQ(r.f64(), 0.75);
    r.vec(1); // characters: one new framed object of class xcOCModel
    EXPECT_EQ(r.u8(), 1);
    EXPECT_EQ(r.str(), "xcOCModel");
    EXPECT_EQ(r.u8(), 1); // the model's own version
    EXPECT_EQ(r.i32(), 4);
    r.skip(2 * (1 + 48));
    EXPECT_EQ(r.u32(), 1u);
    EXPECT_EQ(r.str(), "sp");
    EXPECT_EQ(r.str(), "blank");
    r.skip(16);
    EXPECT_EQ(r.u8(), 0);   // isCompiled
    EXPECT_EQ(r.u32(), 1u); // matrix rows
    EXPECT_EQ(r.u32(), 1u); // matrix cols
    r.skip(8);
    r.vec(0); // offsets
    EXPECT_TRUE(r.atEnd());

    // A compiled alphabet loads compiled, with its scores, and round-trips.
    xcOCAlphabet c =
        loadAlphabet(compiledArchive({normal(1, "a"), blank(2, "sp"), normal(3, "c")}));
    const xcOCAlphabet back = loadAlphabet(storeObject(c));
    EXPECT_EQ(back, c);
    EXPECT_EQ(back.confusionMatrix(), c.confusionMatrix());
}

TEST(OCAlphabet, OldUnknownInconsistentAndDamagedArchives) {
    // Version 0: name, threshold, characters and whether it was compiled.
    const auto version0 = [](bool wasCompiled) {
        xcMemoryArchive ar;
        unsigned char version = 0;
        std::string name = "old";
        double threshold = 0.3;
        xcOCAlphabet::Models models{normal(1, "a")};
        ar || version || name || threshold || models || wasCompiled;
        return ar.bytes();
    };
    EXPECT_EQ(loadAlphabet(version0(false)), xcOCAlphabet({normal(1, "a")}, 0.3, false, "old"));
    xcOCAlphabet b;

    Bytes bytes = compiledArchive({normal(1, "a")});
    bytes[0] = 2;
    expectUnknownVersion(bytes, static_cast<xcPersistent&>(b), "xcOCAlphabet");

    xcPtrHandle_const<xcOCAlphabet> h(compiledAlphabet({normal(1, "a"), blank(2, "sp")}));
    damageRun(store(h), [](const Bytes& data) {
        xcMemoryArchive ar(data);
        xcPtrHandle_const<xcOCAlphabet> loaded;
        ar || loaded;
        // Whatever loaded must be usable.
        if (loaded && loaded->isCompiled())
            for (const ModelHandle& m : loaded->characters())
                loaded->areConfusable(m->key(), m->key());
    });
}
