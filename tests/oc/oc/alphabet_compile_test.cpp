// Alphabet compilation on characters rendered from a font.
#include "core/image/pel_ops.h"
#include "core/persist/archive.h"
#include "core/persist/archive_vector.h"
#include "core/sys/attention.h"
#include "core/sys/timeout.h"
#include "diag/diag_object.h"
#include "oc/imageutil/blankness.h"
#include "oc/oc/alphabet.h"
#include "oc/oc/detail/compile_row.h"
#include "oc/oc/glyph_alphabet.h"
#include "submodel/submodel_defs.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace oc_test;

namespace {

using Models = xcOCAlphabet::Models;

// Compiles with W workers and puts the count back.
xcOCAlphabet compiled(const Models& models, long workers = 1) {
    oc_detail::compileWorkers(workers);
    xcOCAlphabet a(models, 0.5, false, "glyphs");
    a.compile(nullptr, 0);
    oc_detail::compileWorkers(1);
    return a;
}

double score(const xcOCAlphabet& a, char32_t row, char32_t col) {
    return a.confusion(long(row), long(col));
}

// Twelve characters: the confusable pairs, two clearly different ones and two blanks.
const xcOCAlphabet& glyphAlphabet() {
    static const xcOCAlphabet a = [] {
        Models m = glyphModels(U"0O8B1I5SA7M", true);
        m.push_back(blankModel(33));
        return compiled(m);
    }();
    return a;
}

} // namespace

TEST(OCAlphabetCompile, BlankRowFromTheFlattestQuarter) {
    // Five scores: k = 2, m = 0.2; only 0.1 lies below m.
    std::vector<double> s{0.7, 0.1, 0.9, 0.3, 0.5};
    const xcVector<2> stats = oc_detail::blankRowScores(s);
    EXPECT_DOUBLE_EQ(stats.x(), 0.2);
    EXPECT_DOUBLE_EQ(stats.y(), 0.5);
    EXPECT_EQ(s, (std::vector<double>{0.0, 0.5, 0.0, 0.0, 0.0}));
    // Up to four: m is the smallest, so nothing lies below it; a zero mean scores nothing.
    for (std::vector<double> few : {std::vector<double>{40.0, 9.0, 12.0, 300.0}, {0.0, 0.0}}) {
        const double smallest = *std::min_element(few.begin(), few.end());
        const xcVector<2> st = oc_detail::blankRowScores(few);
        EXPECT_EQ(st, xcVector<2>(smallest, 0.0));
        EXPECT_EQ(few, std::vector<double>(few.size(), 0.0));
    }
}

TEST(OCAlphabetCompile, RenderedAlphabetScores) {
    const xcOCAlphabet& a = glyphAlphabet();
    ASSERT_TRUE(a.isCompiled());
    const long n = a.numChars();
    ASSERT_EQ(a.confusionMatrix().rows(), n);
    for (long i = 0; i < n; ++i) {
        EXPECT_EQ(a.confusionMatrix()(i, i), 1.0) << i;
        for (long j = 0; j < n; ++j) {
            const bool rowBlank = a.characters()[std::size_t(i)]->charType() == xcOCModel::eBlank;
            const bool colBlank = a.characters()[std::size_t(j)]->charType() == xcOCModel::eBlank;
            // Blank columns of normal rows, and blanks against blanks, score nothing.
            if (i != j && colBlank) {
                EXPECT_EQ(a.confusionMatrix()(i, j), 0.0) << i << "," << j;
            }
            // Scores lie on the threshold's scale; offsets of normal rows only move.
            EXPECT_GE(a.confusionMatrix()(i, j), 0.0);
            EXPECT_LE(a.confusionMatrix()(i, j), 1.0);
            if (!rowBlank) {
                EXPECT_EQ(a.offsets()[std::size_t(i)][std::size_t(j)].matrix(), xcMatrix<2>());
            }
        }
    }
    for (auto [x, y] : {std::pair(U'0', U'O'), {U'8', U'B'}, {U'1', U'I'}, {U'5', U'S'}}) {
        EXPECT_GT(score(a, x, y), 0.5) << char(x) << " in " << char(y);
        EXPECT_GT(score(a, y, x), 0.5) << char(y) << " in " << char(x);
        EXPECT_TRUE(a.areConfusable(long(x), long(y)));
    }
    for (auto [x, y] : {std::pair(U'A', U'7'), {U'M', U'1'}}) {
        EXPECT_LT(score(a, x, y), 0.5) << char(x) << " in " << char(y);
        EXPECT_LT(score(a, y, x), 0.5) << char(y) << " in " << char(x);
    }
}

TEST(OCAlphabetCompile, BlankRowWithFourNormalCharacters) {
    // The blank comes first, so its statistics overwrite the diagonal's offset.
    Models m{blankModel(32)};
    for (char32_t c : std::u32string(U"-I8M")) m.push_back(glyphModel(c, long(c)));
    const xcOCAlphabet a = compiled(m);
    double smallest = 1e300;
    for (std::size_t j = 1; j < m.size(); ++j) {
        smallest =
            std::min(smallest, xfScoreBlankness(m[j]->image(), m[j]->mask(), xcXform<2>(),
                                                m[0]->image(), m[0]->imageArea(), m[0]->mask()));
        EXPECT_EQ(a.confusion(32, m[j]->key()), 0.0);
    }
    EXPECT_GT(smallest, 0.0);
    EXPECT_EQ(a.confusion(32, 32), 1.0);
    EXPECT_EQ(a.characterOffset(32, 32), xcXform<2>::translation(xcVector<2>(smallest, 0.0)));
}

TEST(OCAlphabetCompile, ShiftScaleAndTurn) {
    // One O moved by (3, -2) cell pels; one drawn twice as large; one turned by 30 degrees.
    const Models m{glyphModel(U'0', 1), glyphModel(U'O', 2),
                   glyphModel(U'O', 3, 1.0, 0.0, xcVector<2>(3.0, -2.0)),
                   glyphModel(U'O', 4, 2.0, 0.0, xcVector<2>(), 2 * kCellW, 2 * kCellH),
                   glyphModel(U'O', 5, 1.0, 30.0, xcVector<2>(), 48, 48)};
    const xcOCAlphabet a = compiled(m);
    EXPECT_GT(a.confusion(2, 3), 0.95);
    const xcXform<2> shift = a.characterOffset(2, 3);
    EXPECT_NEAR(shift.trans().x(), 3.0, 0.05);
    EXPECT_NEAR(shift.trans().y(), -2.0, 0.05);
    // Resampled into the row's pels, the large and the turned O score like the upright one
    // (the turned one loses a little to interpolation).
    for (long other : {4L, 5L}) {
        EXPECT_NEAR(a.confusion(1, other), a.confusion(1, 2), 0.05) << other;
        EXPECT_GT(a.confusion(2, other), 0.85) << other;
        EXPECT_NEAR(a.characterOffset(2, other).trans().len(), 0.0, 0.5) << other;
    }
}

TEST(OCAlphabetCompile, WorkerThreadsGiveTheSameMatrix) {
    const Models m = glyphModels(U"0OQ8B-", true);
    const xcOCAlphabet one = compiled(m, 1), four = compiled(m, 4);
    EXPECT_EQ(four.confusionMatrix(), one.confusionMatrix());
    EXPECT_EQ(four.offsets(), one.offsets());
}

TEST(OCAlphabetCompile, StopsEarlyAndStartsOver) {
    const Models m = glyphModels(U"0O8", false);
    xcOCAlphabet a(m, 0.5, false, "x");
    {
        // A limit that has passed stops compilation after the first batch.
        xcAttentionTag tag;
        tag.attachTimeout(0.0);
        EXPECT_THROW(a.compile(nullptr, 0), xcTimeout::Expired);
    }
    EXPECT_FALSE(a.isCompiled());
    ASSERT_EQ(a.confusionMatrix().rows(), 3);
    EXPECT_EQ(a.confusionMatrix()(0, 0), 1.0);
    EXPECT_GT(a.confusionMatrix()(0, 1), 0.5);
    EXPECT_EQ(a.confusionMatrix()(1, 1), 0.0);
    a.compile(nullptr, 0);
    EXPECT_TRUE(a.isCompiled());
    EXPECT_EQ(a.confusionMatrix(), compiled(m).confusionMatrix());

    // A worker's failure reaches the caller: a mask that cares for nothing cannot be trained.
    xcPelBuffer<unsigned char> none(xcPelRect(0, 0, kCellW, kCellH));
    xfPelSet(none, 0);
    const xcOCModel& o = *m[1];
    Models bad{m[0], xcPtrHandle_const<xcOCModel>(new xcOCModel(9, o.image(), none, o.imageArea(),
                                                                xcOCModel::eNormal, "o", ""))};
    xcOCAlphabet b(bad, 0.5, false, "x");
    EXPECT_THROW(b.characters(bad, true), xc_SubModelDefs::NoCarePels);
    EXPECT_FALSE(b.isCompiled());
    // Row 0 was done, and its pair with the uncared-for image scores nothing.
    EXPECT_EQ(b.confusionMatrix()(0, 0), 1.0);
    EXPECT_EQ(b.confusionMatrix()(0, 1), 0.0);
}

TEST(OCAlphabetCompile, RecordsArchivesAndCompilingSetters) {
    const Models m = glyphModels(U"0O", true);
    xcOCAlphabet a(m, 0.5, true, "x");
    ASSERT_TRUE(a.isCompiled());
    const xcNMMatrix before = a.confusionMatrix();
    // A compiled alphabet only records: the input with its characters, the details, the
    // results without them.
    xcDiagObject diag;
    a.compile(&diag, 0x70000);
    EXPECT_EQ(a.confusionMatrix(), before);
    ASSERT_EQ(diag.numRecords(), 6);
    const auto annotation = [&](long i) {
        const auto& notes = diag.diagRecord(i)->annotations();
        return notes.empty() ? std::string() : notes[0];
    };
    EXPECT_EQ(annotation(0), "Alphabet Compilation Input");
    EXPECT_EQ(diag.diagRecord(1)->level(), 1);
    EXPECT_EQ(annotation(4), "Alphabet Compilation Details");
    EXPECT_EQ(diag.diagRecord(4)->kind(), xcDiagRecord::eEmpty);
    EXPECT_EQ(annotation(5), "Alphabet Compilation Results");
    xcDiagObject only;
    a.compile(&only, 0x40000);
    EXPECT_EQ(only.numRecords(), 1);

    // The archive keeps matrix and offsets bit for bit.
    xcMemoryArchive out;
    out || static_cast<xcPersistent&>(a);
    xcOCAlphabet back;
    xcMemoryArchive in(out.bytes());
    in || static_cast<xcPersistent&>(back);
    EXPECT_TRUE(back.isCompiled());
    EXPECT_EQ(back.confusionMatrix(), a.confusionMatrix());
    EXPECT_EQ(back.offsets(), a.offsets());

    // A version-0 archive marked compiled is compiled as it loads.
    xcMemoryArchive old;
    unsigned char version = 0;
    std::string name = "x";
    double threshold = 0.5;
    Models chars = m;
    bool wasCompiled = true;
    old || version || name || threshold || chars || wasCompiled;
    xcOCAlphabet loaded;
    xcMemoryArchive oldIn(old.bytes());
    oldIn || static_cast<xcPersistent&>(loaded);
    EXPECT_TRUE(loaded.isCompiled());
    EXPECT_EQ(loaded.confusionMatrix(), a.confusionMatrix());

    // add(..., true) compiles the grown alphabet.
    a.add(glyphModel(U'Q', long(U'Q')), true);
    EXPECT_TRUE(a.isCompiled());
    EXPECT_GT(a.confusion(long(U'O'), long(U'Q')), 0.5);
}
