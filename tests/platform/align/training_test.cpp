// Training the alignment pattern: what it refuses, what it keeps, and its exceptions.
#include "align_test_util.h"

#include "align/align_defs.h"
#include "core/persist/archive.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

xcPelBuffer<unsigned char> filled(long w, long h, unsigned char v) {
    xcPelBuffer<unsigned char> b(w, h);
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x) *b.pointToPel(x, y) = v;
    return b;
}

void fillRect(xcPelBuffer<unsigned char>& b, long x0, long y0, long w, long h, unsigned char v) {
    for (long y = y0; y < y0 + h; ++y)
        for (long x = x0; x < x0 + w; ++x) *b.pointToPel(x, y) = v;
}

// The message of the xc_AlignDefs::Errors that training throws, or "" when it succeeds.
std::string refusal(const xcPelBuffer_const<unsigned char>& img) {
    xcAlignPattern pat;
    try {
        pat.train(img, 3, nullptr, 0);
    } catch (const xc_AlignDefs::Errors& e) {
        EXPECT_EQ(e.errorNumber(), 0x10000401);
        EXPECT_FALSE(pat.isTrained());
        return e.message();
    }
    return "";
}

} // namespace

TEST(AlignTraining, ImagesThatGiveTooLittleAreRefusedWithTheReason) {
    EXPECT_EQ(refusal(filled(40, 40, 128)), "image too flat to train: no grey structure");
    // A faint ramp has grey structure but no edge.
    xcPelBuffer<unsigned char> ramp(40, 40);
    for (long y = 0; y < 40; ++y)
        for (long x = 0; x < 40; ++x)
            *ramp.pointToPel(x, y) = static_cast<unsigned char>(100 + x / 4);
    EXPECT_EQ(refusal(ramp), "image too flat to train: no edge stands out");
    EXPECT_EQ(refusal(filled(5, 30, 0)), "image too small to train: it needs at least 6 x 6 pels");
    EXPECT_EQ(refusal(filled(30, 5, 0)), "image too small to train: it needs at least 6 x 6 pels");
    // One dark pel: a handful of edge points only.
    xcPelBuffer<unsigned char> dot = filled(30, 30, 200);
    fillRect(dot, 15, 15, 1, 1, 40);
    EXPECT_EQ(refusal(dot), "too few edge features to train on");
    // One straight bar: its long sides' normals all point one way.
    xcPelBuffer<unsigned char> bar = filled(64, 24, 200);
    fillRect(bar, 8, 10, 48, 4, 40);
    EXPECT_EQ(refusal(bar), "edges run in one direction only and cannot fix the pattern's pose");
    // A cross fixes the pose and trains.
    xcPelBuffer<unsigned char> cross = filled(64, 64, 200);
    fillRect(cross, 8, 30, 48, 4, 40);
    fillRect(cross, 30, 8, 4, 48, 40);
    EXPECT_EQ(refusal(cross), "");
}

// Manual grain limits need 4 coarse grains a side; the two-attempt path (second attempt with
// limits 1, 1) then trains a small character.
TEST(AlignTraining, ManualGrainLimitsRefuseImagesSmallerThanFourCoarseGrains) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'E', 9.0, 3);
    const xcPelBuffer<unsigned char> img = glyph.trainImage();
    ASSERT_LT(std::min(img.width(), img.height()), 16);
    xcAlignPattern pat;
    pat.autoSelectGrainLimits(false);
    pat.grainLimits(2.0f, 4.0f);
    try {
        pat.train(img, 3, nullptr, 0);
        FAIL() << "training should be refused";
    } catch (const xc_AlignDefs::Errors& e) {
        EXPECT_EQ(e.message(),
                  "image too small for the coarse grain limit: each side needs 4 coarse grains");
    }
    pat.grainLimits(1.0f, 1.0f);
    EXPECT_NO_THROW(pat.train(img, 3, nullptr, 0));
    EXPECT_TRUE(pat.isTrained());
    EXPECT_FLOAT_EQ(pat.grainLimitFine(), 1.0f);
    EXPECT_FLOAT_EQ(pat.grainLimitCoarse(), 1.0f);
}

TEST(AlignTraining, BadArgumentsThrowBadParamsAndChangeNothing) {
    xcAlignPattern pat;
    EXPECT_TRUE(pat.autoSelectGrainLimits());
    EXPECT_THROW(pat.grainLimits(0.5f, 2.0f), xc_AlignDefs::BadParams);
    EXPECT_THROW(pat.grainLimits(3.0f, 2.0f), xc_AlignDefs::BadParams);
    EXPECT_THROW(pat.grainLimits(1.0f, 32.0f), xc_AlignDefs::BadParams);
    EXPECT_FLOAT_EQ(pat.grainLimitFine(), 1.0f);
    EXPECT_FLOAT_EQ(pat.grainLimitCoarse(), 4.0f);

    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'K', 24.0);
    EXPECT_THROW(pat.train(xcPelBuffer_const<unsigned char>(), 3, nullptr, 0),
                 xc_AlignDefs::BadParams);
    EXPECT_THROW(pat.train(glyph.trainImage(), 4, nullptr, 0), xc_AlignDefs::BadParams);
    EXPECT_THROW(pat.train(glyph.trainImage(), -1, nullptr, 0), xc_AlignDefs::BadParams);
    EXPECT_FALSE(pat.isTrained());
    EXPECT_THROW(pat.trainImage(), xc_AlignDefs::BadParams);
    EXPECT_THROW(pat.trainClientFromImage(), xc_AlignDefs::BadParams);
    xcAlignResultSet rs;
    EXPECT_THROW(pat.run(glyph.trainImage(), xcAlignRunParams(), rs, nullptr, 0),
                 xc_AlignDefs::BadParams);
}

// A failed training leaves the earlier training in place.
TEST(AlignTraining, RefusedTrainingKeepsThePreviousPattern) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'K', 24.0);
    xcAlignPattern pat;
    pat.train(glyph.trainImage(), 1, nullptr, 0);
    const xcPelRect before = pat.trainImage().window();
    EXPECT_THROW(pat.train(filled(40, 40, 90), 3, nullptr, 0), xc_AlignDefs::Errors);
    EXPECT_TRUE(pat.isTrained());
    EXPECT_EQ(pat.dofMask(), 1);
    EXPECT_EQ(pat.trainImage().window(), before);
    xcAlignResultSet rs;
    xcAlignRunParams params;
    pat.run(glyph.trainImage(), params, rs, nullptr, 0);
    ASSERT_EQ(rs.size(), 1u);
    EXPECT_GT(rs[0].score(), 0.98);
}

// The pattern keeps its own copy of the window with the window's position and transforms;
// changing the caller's pels afterwards does not reach it.
TEST(AlignTraining, TrainImageIsACopyWithTheSameWindowAndTransforms) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'F', 24.0);
    const xcPelBuffer<unsigned char> g = glyph.trainImage();
    xcPelBuffer<unsigned char> big = filled(100, 80, 200);
    for (long y = 0; y < g.height(); ++y)
        for (long x = 0; x < g.width(); ++x) *big.pointToPel(30 + x, 20 + y) = *g.pointToPel(x, y);
    const xcXform<2> cfi(xcMatrix<2>(0.5, 0, 0, 0.5), xcVector<2>(-3, 7));
    big.clientFromImageXform(cfi);
    big.window(xcPelRect(30, 20, g.width(), g.height()));

    xcAlignPattern pat;
    pat.train(big, 3, nullptr, 0);
    const xcPelBuffer_const<unsigned char>& ti = pat.trainImage();
    EXPECT_EQ(ti.window(), xcPelRect(30, 20, g.width(), g.height()));
    EXPECT_EQ(ti.clientFromImage(), cfi);
    EXPECT_EQ(pat.trainClientFromImage()->linearXform(xcVector<2>(0, 0)), cfi);
    EXPECT_FALSE(ti.sharesRoot(big));
    const unsigned char kept = *ti.pointToPel(3, 3);
    *big.pointToPel(3, 3) = static_cast<unsigned char>(kept ^ 0xFF);
    EXPECT_EQ(*ti.pointToPel(3, 3), kept);
}

TEST(AlignTraining, ExceptionClassesCarryNumbersAndRoundTripThroughArchives) {
    xc_AlignDefs::Errors errors("too few edge features to train on");
    xc_AlignDefs::InternalError internal("search failed: x");
    xc_AlignDefs::BadParams bad("numToFind must be between 1 and 10000");
    EXPECT_EQ(errors.errorNumber(), 0x10000401);
    EXPECT_EQ(internal.errorNumber(), 0x10000402);
    EXPECT_EQ(bad.errorNumber(), 0x10000403);
    // An internal error is one of the tool's errors, so a handler for Errors takes it.
    EXPECT_THROW(throw xc_AlignDefs::InternalError("x"), xc_AlignDefs::Errors);

    for (xcException* e : std::initializer_list<xcException*>{&errors, &internal, &bad}) {
        xcMemoryArchive st;
        xcException* p = e;
        st || p;
        // Layout: the class name, one version byte 0 per class level, then the message.
        xcMemoryArchive ld(st.bytes());
        xcException* back = nullptr;
        ld || back;
        std::unique_ptr<xcException> owned(back);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(typeid(*back), typeid(*e));
        EXPECT_EQ(back->message(), e->message());
        EXPECT_EQ(back->errorNumber(), e->errorNumber());
    }
    // A loaded exception rethrows as its concrete class.
    xcMemoryArchive st;
    xcException* p = &internal;
    st || p;
    xcMemoryArchive ld(st.bytes());
    xcException* back = nullptr;
    ld || back;
    EXPECT_THROW(back->suicideAndRethrow(), xc_AlignDefs::InternalError);
}
