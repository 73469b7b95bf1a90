// Alphabet compilation on characters rendered from a font.
#include "core/image/pel_ops.h"
#include "core/persist/archive.h"
#include "core/persist/archive_vector.h"
#include "core/sys/attention.h"
#include "core/sys/timeout.h"
#include "diag/diag_object.h"
#include "oc/imageutil/blankness.h"
#include "oc/oc/detail/compile_row.h"
#include "oc/oc/glyph_alphabet.h"
#include "submodel/submodel_defs.h"

#include <gtest/gtest.h>

using namespace oc_test;
using Models = xcOCAlphabet::Models;
using Image = xcPelBuffer_const<unsigned char>;

static xcOCAlphabet compiled(const Models& models, long workers = 1) {
    oc_detail::compileWorkers(workers);
    xcOCAlphabet a(models, 0.5, true, "glyphs");
    oc_detail::compileWorkers(1);
    return a;
}

TEST(OCAlphabetCompile, BlankRows) {
    // Five scores: k = 2, m = 0.2, and only 0.1 lies below m.
    std::vector<double> s{0.7, 0.1, 0.9, 0.3, 0.5};
    EXPECT_EQ(oc_detail::blankRowScores(s), xcVector<2>(0.2, 0.5));
    EXPECT_EQ(s, (std::vector<double>{0.0, 0.5, 0.0, 0.0, 0.0}));
    // Four normal characters: k = 1, so m is the smallest score, which nothing lies below; the
    // blank comes first, so the statistics land on the diagonal's offset.
    const Models m = glyphModels(U"-I8M", 1);
    const xcOCAlphabet a = compiled(m);
    double smallest = 1e300;
    for (std::size_t j = 1; j < m.size(); ++j) {
        smallest =
            std::min(smallest, xfScoreBlankness(m[j]->image(), {}, {}, {}, m[0]->imageArea(), {}));
        EXPECT_EQ(a.confusion(32, m[j]->key()), 0.0);
    }
    EXPECT_EQ(a.characterOffset(32, 32), xcXform<2>::translation(xcVector<2>(smallest, 0.0)));
}

TEST(OCAlphabetCompile, RenderedAlphabetScores) {
    // Two blanks first; W = 4 gives the same matrix as W = 1.
    const Models m = glyphModels(U"0O8B1I5SA7M", 2);
    const xcOCAlphabet a = compiled(m), threaded = compiled(m, 4);
    EXPECT_EQ(threaded.confusionMatrix(), a.confusionMatrix());
    EXPECT_EQ(threaded.offsets(), a.offsets());
    for (long i = 0; i < a.numChars(); ++i) {
        // 1 on the diagonal; blank columns score nothing, in normal rows and the other blank's.
        for (long blank : {0L, 1L})
            EXPECT_EQ(a.confusionMatrix()(i, blank), i == blank ? 1.0 : 0.0);
        EXPECT_EQ(a.confusionMatrix()(i, i), 1.0);
    }
    for (auto [x, y] : {std::pair(U'0', U'O'), {U'8', U'B'}, {U'1', U'I'}, {U'5', U'S'}})
        EXPECT_GT(std::min(a.confusion(x, y), a.confusion(y, x)), 0.5) << char(x);
    for (auto [x, y] : {std::pair(U'A', U'7'), {U'M', U'1'}})
        EXPECT_LT(std::max(a.confusion(x, y), a.confusion(y, x)), 0.5) << char(x);
}

TEST(OCAlphabetCompile, ShiftScaleAndTurn) {
    // O moved by (3, -2); O twice as large; O turned by 30 degrees: the last two are resampled
    // into the row's pels and score like the upright O.
    const xcOCAlphabet a = compiled(
        {glyphModel(U'0', 1), glyphModel(U'O', 2), glyphModel(U'O', 3, 1.0, 0.0, {3.0, -2.0}),
         glyphModel(U'O', 4, 2.0, 0.0, {}, 48, 56), glyphModel(U'O', 5, 1.0, 30.0, {}, 48, 48)});
    EXPECT_GT(a.confusion(2, 3), 0.95);
    EXPECT_TRUE(xfRealEq(a.characterOffset(2, 3), xcXform<2>::translation({3.0, -2.0}), 0.05));
    for (long other : {4L, 5L}) {
        EXPECT_NEAR(a.confusion(1, other), a.confusion(1, 2), 0.05) << other;
        EXPECT_GT(a.confusion(2, other), 0.85) << other;
        EXPECT_TRUE(xfRealEq(a.characterOffset(2, other), xcXform<2>(), 0.5)) << other;
    }
}

TEST(OCAlphabetCompile, ResamplesIntoTheRowGeometry) {
    // An O drawn twice as large comes back as the upright O's 24 x 28 pels, give or take the
    // difference of the two renderings.
    const Image row = glyphModel(U'O', 1)->image(),
                large = glyphModel(U'O', 2, 2.0, 0, {}, 48, 56)->image();
    xcPelBuffer<unsigned char> target, mask;
    xfPelCopy(large, target);
    oc_detail::resampleIntoRowGeometry((target.imageFromClient() * row.clientFromImage()).matrix(),
                                       target, mask);
    ASSERT_EQ(target.window(), xcPelRect(0, 0, kCellW, kCellH));
    EXPECT_TRUE(xfRealEq(target.clientFromImage(), xcXform<2>(), 1e-9));
    EXPECT_EQ(xfPelMin(mask), 255);
    double diff = 0;
    for (long y = 0; y < kCellH; ++y)
        for (long x = 0; x < kCellW; ++x)
            diff += std::abs(*target.pointToPel(x, y) - *row.pointToPel(x, y));
    EXPECT_LT(diff / (kCellW * kCellH), 3.0);
    // Turned by 30 degrees: a 48 x 48 window encloses a 66 x 66 one, its corners from outside.
    target = xcPelBuffer<unsigned char>(), mask = target;
    xfPelCopy(glyphModel(U'O', 3, 1.0, 30.0, {}, 48, 48)->image(), target);
    oc_detail::resampleIntoRowGeometry((target.imageFromClient() * row.clientFromImage()).matrix(),
                                       target, mask);
    ASSERT_EQ(target.window(), xcPelRect(0, 0, 66, 66));
    EXPECT_EQ(*mask.pointToPel(0, 0) + *mask.pointToPel(33, 33), 255);
}

TEST(OCAlphabetCompile, StopsEarly) {
    const Models m = glyphModels(U"0O8", 0);
    xcOCAlphabet a(m, 0.5, false, "x");
    {
        // A limit that has passed stops compilation after the first batch.
        xcAttentionTag tag;
        tag.attachTimeout(0.0);
        EXPECT_THROW(a.compile(nullptr, 0), xcTimeout::Expired);
    }
    EXPECT_FALSE(a.isCompiled());
    EXPECT_GT(a.confusionMatrix()(0, 1), 0.5); // row 0 done, row 1 not begun
    EXPECT_EQ(a.confusionMatrix()(1, 1), 0.0);

    // A worker's failure reaches the caller: a mask that cares for nothing cannot be trained.
    xcPelBuffer<unsigned char> none(kCellW, kCellH);
    xfPelSet(none, 0);
    const Models bad{
        m[0], xcPtrHandle_const<xcOCModel>(new xcOCModel(9, m[1]->image(), none, m[1]->imageArea(),
                                                         xcOCModel::eNormal, "o", ""))};
    EXPECT_THROW(a.characters(bad, true), xc_SubModelDefs::NoCarePels);
    EXPECT_FALSE(a.isCompiled());
    EXPECT_EQ(a.confusionMatrix()(0, 0), 1.0);
}

// An old compiled archive whose characters cannot be compiled used to take the characters and
// then throw, leaving the alphabet changed and not compiled.
TEST(OCAlphabetCompile, OldArchiveThatCannotCompileLeavesTheAlphabet) {
    const Models m = glyphModels(U"0", 0);
    xcPelBuffer<unsigned char> none(kCellW, kCellH);
    xfPelSet(none, 0);
    Models bad{m[0], xcPtrHandle_const<xcOCModel>(new xcOCModel(
                         9, m[0]->image(), none, m[0]->imageArea(), xcOCModel::eNormal, "o", ""))};
    xcMemoryArchive old;
    unsigned char version = 0;
    std::string name = "old";
    double threshold = 0.5;
    bool wasCompiled = true;
    old || version || name || threshold || bad || wasCompiled;
    xcOCAlphabet a(m, 0.5, true, "kept");
    xcMemoryArchive in(old.bytes());
    EXPECT_THROW(in || static_cast<xcPersistent&>(a), xc_SubModelDefs::NoCarePels);
    EXPECT_EQ(a.name(), "kept");
    EXPECT_EQ(a.characters(), m);
    EXPECT_TRUE(a.isCompiled());
}

TEST(OCAlphabetCompile, RecordsArchivesAndCompilingSetters) {
    const Models m = glyphModels(U"0O", 1);
    xcOCAlphabet a(m, 0.5, true, "x");
    // Compiled already: only the input (with its 3 characters), details and results records.
    xcDiagObject diag;
    a.compile(&diag, 0x70000);
    ASSERT_EQ(diag.numRecords(), 6);
    EXPECT_EQ(diag.diagRecord(4)->annotations()[0], "Alphabet Compilation Details");
    EXPECT_EQ(diag.diagRecord(5)->annotations()[0], "Alphabet Compilation Results");

    // The archive keeps matrix and offsets bit for bit; a compiled version-0 archive compiles.
    xcMemoryArchive out, old;
    out || static_cast<xcPersistent&>(a);
    unsigned char version = 0;
    std::string name = "x";
    double threshold = 0.5;
    bool wasCompiled = true;
    old || version || name || threshold || const_cast<Models&>(m) || wasCompiled;
    for (const auto& bytes : {out.bytes(), old.bytes()}) {
        xcOCAlphabet back;
        xcMemoryArchive in(bytes);
        in || static_cast<xcPersistent&>(back);
        EXPECT_TRUE(back.isCompiled());
        EXPECT_EQ(back.confusionMatrix(), a.confusionMatrix());
        EXPECT_EQ(back.offsets(), a.offsets());
    }
    a.add(glyphModel(U'Q', long(U'Q')), true);
    EXPECT_GT(a.confusion(long(U'O'), long(U'Q')), 0.5);
}
