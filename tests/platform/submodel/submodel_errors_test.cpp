#include "submodel_test_util.h"

#include "core/persist/archive.h"
#include "core/sys/attention.h"
#include "core/sys/timeout.h"
#include "submodel/submodel_defs.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <typeinfo>

using namespace submodel_test;

namespace {

const double kNaN = std::nan("");

// Runs f, which must throw E (a member of the family) with the given message and number.
template <class E, class F>
void expectError(F f, const char* message, long number) {
    const E e = caught<E>(f);
    EXPECT_EQ(e.message(), message);
    EXPECT_EQ(e.errorNumber(), number);
    EXPECT_NE(dynamic_cast<const xc_SubModelDefs::Errors*>(&e), nullptr);
}

// The rectangle and extent checks at their edges (the parameter-table test walks the rest).
TEST(SubModelErrors, PartialMatchAndExtentChecksAtTheirEdges) {
    using BadParams = xc_SubModelDefs::BadParams;
    xcSubModelCorRunParams p;
    p.partialMatch(xcPelRect(-(1L << 30), 0, 1L << 30, 0));
    for (const xcPelRect& bad :
         {xcPelRect(1, 0, 2, 2), xcPelRect(-3, 0, 2, 2), xcPelRect(0, 0, -1, 0),
          xcPelRect(-(1L << 30) - 1, 0, 1L << 31, 0)})
        expectError<BadParams>([&] { p.partialMatch(bad); },
                               "partialMatch must hold the origin and lie within +-2^30 pels",
                               0x802);
    p.xyUncertainty(xcVector<2>(0.0, 1e9));
    for (const xcVector<2>& bad : {xcVector<2>(-1.0, 0.0), xcVector<2>(0.0, kNaN)})
        expectError<BadParams>([&] { p.xyUncertainty(bad); },
                               "xyUncertainty must be two finite numbers >= 0", 0x802);
    EXPECT_EQ(p.partialMatch(), xcPelRect(-(1L << 30), 0, 1L << 30, 0));
    EXPECT_EQ(p.xyUncertainty(), xcVector<2>(0.0, 1e9));
    expectError<BadParams>([] { xcSubModelResult(0.5, nullptr); }, "a result needs a pose", 0x802);
}

TEST(SubModelErrors, SubModelAndTrainingRefuseUnusableImages) {
    const xcPelBuffer<unsigned char> image = paper(xcPelRect(0, 0, 30, 20));
    expectError<xc_SubModelDefs::UnboundImage>(
        [] { xcSubModel(xcPelBuffer<unsigned char>(), "x"); }, "The image is unbound.", 0x805);
    expectError<xc_SubModelDefs::MaskMismatch>(
        [&] { xcSubModel(image, paper(xcPelRect(0, 0, 30, 21)), "x"); },
        "The mask and the image differ in size.", 0x806);

    // A trained tool keeps its model when a later training fails.
    xc_SubModelTool tool = trained(xcSubModel(image, "bar"));
    xcPelBuffer_const<unsigned char> empty = image;
    empty.window(xcPelRect(3, 3, 0, 5));
    for (const xcSubModel& bad :
         {xcSubModel(image, paper(image.window(), 127), ""), xcSubModel(empty, "")})
        expectError<xc_SubModelDefs::NoCarePels>([&] { tool.train(bad, {}, nullptr, 0); },
                                                 "The sub-model has no cared-for pel.", 0x804);
    EXPECT_EQ(tool.subModel().name(), "bar");
    expectError<xc_SubModelDefs::NotTrained>([] { xc_SubModelTool().subModel(); },
                                             "The sub-model tool is not trained.", 0x803);
}

// Every failed or stopped run leaves the result set as the last good run left it.
TEST(SubModelErrors, FailedRunsLeaveResultsAsTheyWere) {
    xcPelBuffer<unsigned char> image = paper(xcPelRect(0, 0, 30, 20));
    paste(paper(xcPelRect(0, 0, 8, 12), 30), image, 11, 4);
    const xc_SubModelTool tool = trained(xcSubModel(image, "bar"));
    const xcSubModelCorRunParams params;
    const xc2XformLinear identity;
    std::vector<xcVector<2>> points;
    xc_SubModelResultSet rs;
    tool.run(image, identity, params, points, rs, nullptr, 0);
    auto expectUnchanged = [&] {
        ASSERT_EQ(rs.numFound(), 1);
        EXPECT_NEAR(rs.results()[0].score(), 1.0, 1e-12);
    };
    expectUnchanged();

    const xcPelBuffer<unsigned char> unbound;
    expectError<xc_SubModelDefs::NotTrained>(
        [&] { xc_SubModelTool().run(image, identity, params, points, rs, nullptr, 0); },
        "The sub-model tool is not trained.", 0x803);
    expectError<xc_SubModelDefs::UnboundImage>(
        [&] { tool.run(unbound, identity, params, points, rs, nullptr, 0); },
        "The image is unbound.", 0x805);
    expectError<xc_SubModelDefs::UnboundImage>(
        [&] { tool.run(image, unbound, identity, params, points, rs, nullptr, 0); },
        "The image is unbound.", 0x805);
    expectError<xc_SubModelDefs::MaskMismatch>(
        [&] {
            tool.run(image, paper(xcPelRect(0, 0, 29, 20)), identity, params, points, rs, nullptr,
                     0);
        },
        "The mask and the image differ in size.", 0x806);
    // Start poses that place the model nowhere sensible.
    const xcXform<2> huge(xcVector<2>(), 1000.0, 1.0, xcRadian(0.0), xcRadian(0.0));
    const xcXform<2> tiny(xcVector<2>(), 0.01, 1.0, xcRadian(0.0), xcRadian(0.0));
    for (const xcXform<2>& bad :
         {huge, tiny, xcXform<2>(xcMatrix<2>(0.0, 0.0, 0.0, 0.0), xcVector<2>()),
          xcXform<2>::translation(xcVector<2>(kNaN, 0.0)),
          xcXform<2>::translation(xcVector<2>(1e300, 0.0))})
        expectError<xc_SubModelDefs::BadPose>(
            [&] { tool.run(image, xc2XformLinear(bad), params, points, rs, nullptr, 0); },
            "The start pose does not place the sub-model on the image's pel grid.", 0x807);
    // Non-finite client transforms, on the image searched or on the image trained on.
    for (const xcVector<2>& t :
         {xcVector<2>(INFINITY, 0.0), xcVector<2>(0.0, -INFINITY), xcVector<2>(kNaN, 0.0)}) {
        xcPelBuffer<unsigned char> badImage = image;
        badImage.clientFromImageXform(xcXform<2>::translation(t));
        EXPECT_EQ(caught<xc_SubModelDefs::BadPose>([&] {
                      tool.run(badImage, identity, params, points, rs, nullptr, 0);
                  }).errorNumber(),
                  0x807);
        EXPECT_THROW(run(trained(xcSubModel(badImage, "m")), image, params),
                     xc_SubModelDefs::BadPose);
    }
    expectUnchanged();

    // A time limit that has passed stops the run.
    xcAttentionTag tag(true);
    tag.attachTimeout(0.0);
    EXPECT_THROW(tool.run(image, identity, params, points, rs, nullptr, 0), xcTimeout::Expired);
    tag.disarm();
    expectUnchanged();
}

// Each class round-trips through an archive as itself, with its message, and rethrows as itself.
TEST(SubModelErrors, ExceptionsRoundTripThroughArchives) {
    xc_SubModelDefs::Errors errors("x");
    xc_SubModelDefs::BadParams bad("acceptThreshold must be between 0 and 1");
    xc_SubModelDefs::NotTrained notTrained;
    xc_SubModelDefs::NoCarePels noCare;
    xc_SubModelDefs::UnboundImage unbound;
    xc_SubModelDefs::MaskMismatch mismatch;
    xc_SubModelDefs::BadPose badPose;
    long number = 0x801;
    for (xcException* e : std::initializer_list<xcException*>{&errors, &bad, &notTrained, &noCare,
                                                              &unbound, &mismatch, &badPose}) {
        EXPECT_EQ(e->errorNumber(), number++);
        xcMemoryArchive st;
        st || e;
        xcMemoryArchive ld(st.bytes());
        xcException* back = nullptr;
        ld || back;
        ASSERT_NE(back, nullptr);
        std::unique_ptr<xcException> owned(back);
        EXPECT_EQ(typeid(*back), typeid(*e));
        EXPECT_EQ(back->message(), e->message());
        EXPECT_THROW(owned.release()->suicideAndRethrow(), xc_SubModelDefs::Errors);
    }
}

} // namespace
