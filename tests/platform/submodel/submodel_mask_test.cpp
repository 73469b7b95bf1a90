#include "submodel_test_util.h"

#include <gtest/gtest.h>

using namespace submodel_test;
using oc_test::GlyphImage;

namespace {

// A glyph copied into a run image at (10, 8) and partly covered by a dark blot there, which the
// masks can exclude; excluded, the copy is found in place with a perfect score.
struct Blotted {
    static constexpr long kX = 8, kY = 10, kSize = 7; // the blot, in model pels
    GlyphImage glyph{oc_test::kSansFont, U'R', 26.0};
    xcPelBuffer<unsigned char> model = glyph.trainImage();
    xcPelBuffer<unsigned char> image = paper(xcPelRect(0, 0, 60, 50));
    xcSubModelCorRunParams params = compileParams(model.width(), model.height(), 40.0, 40.0);

    Blotted() {
        paste(model, image, 10, 8);
        paste(paper(xcPelRect(0, 0, kSize, kSize), 0), image, 10 + kX, 8 + kY);
    }
    static void expectInPlace(const xc_SubModelResultSet& rs) {
        ASSERT_GE(rs.numFound(), 1);
        EXPECT_NEAR(rs.results()[0].score(), 1.0, 1e-12);
        EXPECT_NEAR(bestPose(rs).trans().x(), 10.0, 0.1);
        EXPECT_NEAR(bestPose(rs).trans().y(), 8.0, 0.1);
    }
};

TEST(SubModelMask, ModelMaskIgnoresPelsBelow128) {
    const Blotted t;
    const xc_SubModelResultSet plain = run(trained(xcSubModel(t.model, "R")), t.image, t.params);
    ASSERT_GE(plain.numFound(), 1);
    EXPECT_LT(plain.results()[0].score(), 0.95);

    xcPelBuffer<unsigned char> mask = paper(t.model.window(), 128);
    paste(paper(xcPelRect(0, 0, Blotted::kSize, Blotted::kSize), 127), mask, Blotted::kX,
          Blotted::kY);
    Blotted::expectInPlace(run(trained(xcSubModel(t.model, mask, "R")), t.image, t.params));
}

// A run mask pairs with the image by position within the two windows, whatever their offsets.
TEST(SubModelMask, RunMaskIgnoresZeroPelsWindowRelative) {
    const Blotted t;
    xcPelBuffer<unsigned char> runMask = paper(xcPelRect(100, -20, 60, 50), 255);
    paste(paper(xcPelRect(0, 0, Blotted::kSize, Blotted::kSize), 0), runMask, 10 + Blotted::kX,
          8 + Blotted::kY);
    std::vector<xcVector<2>> points{xcVector<2>(1.0, 2.0)};
    xc_SubModelResultSet rs;
    trained(xcSubModel(t.model, "R"))
        .run(t.image, runMask, xc2XformLinear(), t.params, points, rs, nullptr, 0);
    Blotted::expectInPlace(rs);
    EXPECT_EQ(points, std::vector<xcVector<2>>{xcVector<2>(1.0, 2.0)}); // left as it was
}

} // namespace
