#include "submodel_test_util.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace submodel_test;
using oc_test::GlyphImage;
using oc_test::kSansFont;

namespace {

const xcMatrix<2> kHalf(0.5, 0.0, 0.0, 0.5);

// A glyph copied whole into a run image with its own image offset and client transform: the
// pose is the model's client frame placed in the run image's client frame.
TEST(SubModelFind, GlyphInShiftedCopyGivesPoseInClientCoordinates) {
    const GlyphImage b(kSansFont, U'B', 24.0);
    xcPelBuffer<unsigned char> modelImage = b.trainImage();
    modelImage.clientFromImageXform(xcXform<2>(kHalf, xcVector<2>(100.0, 50.0)));
    xcPelBuffer<unsigned char> image = paper(xcPelRect(30, 40, 80, 70));
    paste(modelImage, image, 17, 11);
    image.clientFromImageXform(xcXform<2>(kHalf, xcVector<2>(3.0, -4.0)));

    const xc_SubModelTool tool = trained(xcSubModel(modelImage, "B"));
    xcSubModelCorRunParams params;
    params.acceptThreshold(0.0);
    params.xyUncertainty(xcVector<2>(400.0, 400.0));
    const xc_SubModelResultSet rs = run(tool, image, params);
    ASSERT_GE(rs.numFound(), 1);
    EXPECT_NEAR(rs.results()[0].score(), 1.0, 1e-12);
    // Model pel p lands on run pel p + (47, 51): client c -> c - (100, 50) + (23.5, 25.5)
    // + (3, -4). The search moves by whole pels, and the parabola of an exact copy peaks on it
    // to within a few hundredths of a pel.
    const xcXform<2> pose = bestPose(rs);
    EXPECT_TRUE(pose.matrix() == xcMatrix<2>());
    EXPECT_NEAR(pose.trans().x(), -73.5, 0.02);
    EXPECT_NEAR(pose.trans().y(), -28.5, 0.02);
}

// Alphabet compilation's use: the model of "O" looks much like a "Q" and little like an "L".
// The Q is drawn at the size whose ink is as wide as the O's (its tail adds height only).
TEST(SubModelFind, GlyphOScoresHighOnQAndLowOnL) {
    const GlyphImage o(kSansFont, U'O', 24.0), l(kSansFont, U'L', 24.0);
    const double qHeight = 24.0 * o.inkWidth() / GlyphImage(kSansFont, U'Q', 24.0).inkWidth();
    const GlyphImage q(kSansFont, U'Q', qHeight);
    const xcPelBuffer<unsigned char> model = o.trainImage();
    const xc_SubModelTool tool = trained(xcSubModel(model, "O"));
    auto score = [&](const GlyphImage& g) {
        const xcPelBuffer<unsigned char> image = g.trainImage();
        const xc_SubModelResultSet rs =
            run(tool, image, compileParams(model.width(), model.height(), 40.0, 40.0));
        EXPECT_GE(rs.numFound(), 1);
        EXPECT_TRUE(bestPose(rs).matrix() == xcMatrix<2>());
        return rs.numFound() > 0 ? rs.results()[0].score() : -1.0;
    };
    const double onQ = score(q), onL = score(l), onO = score(o);
    EXPECT_NEAR(onO, 1.0, 1e-12);
    EXPECT_GT(onQ, 0.8);
    EXPECT_LT(onL, 0.5);
    EXPECT_GT(onQ - onL, 0.35);
}

// The start pose centres the search; the found pose keeps its matrix bit for bit, also when
// that matrix is not the identity, and the threshold splits found results from the rest.
TEST(SubModelFind, StartPoseCentresSearchAndKeepsItsMatrix) {
    const GlyphImage k(kSansFont, U'k', 22.0);
    const xcPelBuffer<unsigned char> model = k.trainImage();
    xcPelBuffer<unsigned char> image = paper(xcPelRect(0, 0, 120, 50));
    paste(model, image, 5, 8);
    paste(model, image, 70, 10);
    const xc_SubModelTool tool = trained(xcSubModel(model, "k"));

    xcSubModelCorRunParams params;
    params.acceptThreshold(0.9);
    params.xyUncertainty(xcVector<2>(8.0, 8.0));
    const xcMatrix<2> nearIdentity(1.0 + 1e-7, 3e-9, -2e-9, 1.0 - 1e-7);
    const xcXform<2> start(nearIdentity, xcVector<2>(68.0, 12.0));
    const xc_SubModelResultSet near = run(tool, image, params, start);
    ASSERT_EQ(near.numFound(), 1);
    const xcXform<2> pose = bestPose(near);
    EXPECT_TRUE(pose.matrix() == nearIdentity);
    EXPECT_NEAR(pose.trans().x(), 70.0, 0.05);
    EXPECT_NEAR(pose.trans().y(), 10.0, 0.05);

    // Searching everything finds both copies first; nothing else reaches 0.9.
    params.xyUncertainty(xcVector<2>(300.0, 300.0));
    const xc_SubModelResultSet both = run(tool, image, params);
    ASSERT_EQ(both.numFound(), 2);
    ASSERT_EQ(both.results().size(), 2u);
    EXPECT_NEAR(bestPose(both).trans().x() + both.results()[1].pose()->xform().trans().x(), 75.0,
                0.1);

    // A threshold nobody reaches: nothing found, the best placement still shown.
    params.acceptThreshold(1.0);
    paste(paper(xcPelRect(0, 0, 3, 3), 90), image, 6, 9);
    paste(paper(xcPelRect(0, 0, 3, 3), 90), image, 71, 11);
    const xc_SubModelResultSet none = run(tool, image, params);
    EXPECT_EQ(none.numFound(), 0);
    ASSERT_EQ(none.results().size(), 1u);
    EXPECT_LT(none.results()[0].score(), 1.0);
    EXPECT_GT(none.results()[0].score(), 0.8);
}

// A start pose that turns and scales the model: the model is laid onto the image's pel grid at
// the start placement and shifted from there; near the grid it is moved as it is. Either way the
// pose keeps the start pose's matrix and finds the glyph's true, sub-pel position.
TEST(SubModelFind, TurnedAndScaledStartPoseIsSearchedOnTheImageGrid) {
    const GlyphImage g(kSansFont, U'G', 24.0);
    const xcPelBuffer<unsigned char> model = g.trainImage();
    const xc_SubModelTool tool = trained(xcSubModel(model, "G"));
    for (const double angleDeg : {12.0, -0.5}) {
        for (const double scale : {1.25, 1.01}) {
            oc_test::Scene scene(70, 70);
            const xcXform<2> truth =
                oc_test::placementPose(g, angleDeg, scale, xcVector<2>(34.6, 36.2));
            scene.place(g, truth);
            const xcPelBuffer<unsigned char> image = scene.finish(0.0, 0.0, 1);
            const xcXform<2> start(truth.matrix(), truth.trans() + xcVector<2>(-2.6, 1.7));
            xcSubModelCorRunParams params;
            params.acceptThreshold(0.5);
            params.xyUncertainty(xcVector<2>(10.0, 10.0));
            const xc_SubModelResultSet rs = run(tool, image, params, start);
            ASSERT_GE(rs.numFound(), 1) << angleDeg << " " << scale;
            EXPECT_GT(rs.results()[0].score(), 0.9);
            const xcXform<2> pose = bestPose(rs);
            EXPECT_TRUE(pose.matrix() == truth.matrix());
            EXPECT_NEAR(pose.trans().x(), truth.trans().x(), 0.15);
            EXPECT_NEAR(pose.trans().y(), truth.trans().y(), 0.15);
        }
    }
}

} // namespace
