#include "submodel_test_util.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace submodel_test;

namespace {

// An "H" pasted into a 70 x 60 image so that `over` of its columns fall off the left edge (or,
// with `bottom`, `over` of its rows off the bottom edge); found() tells whether the best result
// sits there with a perfect score.
struct Overhang {
    oc_test::GlyphImage glyph{oc_test::kSansFont, U'H', 24.0};
    xcPelBuffer<unsigned char> model = glyph.trainImage();
    xc_SubModelTool tool = trained(xcSubModel(model, "H"));
    long w = model.width(), h = model.height();

    bool found(const xcSubModelCorRunParams& params, long over, bool bottom = false) const {
        xcPelBuffer<unsigned char> image = paper(xcPelRect(0, 0, 70, 60));
        const long x = bottom ? 20 : -over, y = bottom ? 60 - h + over : 12;
        paste(model, image, x, y);
        const xc_SubModelResultSet rs = run(tool, image, params);
        if (rs.numFound() == 0) return false;
        const xcXform<2> pose = bestPose(rs);
        return std::abs(pose.trans().x() - x) < 0.05 && std::abs(pose.trans().y() - y) < 0.05 &&
               rs.results()[0].score() > 1.0 - 1e-9;
    }
};

// (-w/2, -h/2, w, h) lets the model hang over any border by up to half its size; the null
// rectangle keeps it inside; an asymmetric one allows overhang on its own sides only.
TEST(SubModelPartial, RectangleBoundsTheOverhangPerSide) {
    const Overhang t;
    xcSubModelCorRunParams params = compileParams(t.w, t.h, 200.0, 200.0);
    const long half = (t.w + t.w % 2) / 2;
    for (long over : {1L, t.w / 3, t.w / 2}) EXPECT_TRUE(t.found(params, over)) << over;
    for (long over : {half + 1, 2 * t.w / 3}) EXPECT_FALSE(t.found(params, over)) << over;
    EXPECT_TRUE(t.found(params, t.h / 3, true));
    EXPECT_FALSE(t.found(params, 2 * t.h / 3, true));

    params.partialMatch(xcPelRect());
    EXPECT_TRUE(t.found(params, 0));
    EXPECT_FALSE(t.found(params, 1));
    params.partialMatch(xcPelRect(-5, 0, 5, 0)); // 5 pels past the left edge only
    EXPECT_TRUE(t.found(params, 5));
    EXPECT_FALSE(t.found(params, 6));
    EXPECT_FALSE(t.found(params, 3, true));
    params.partialMatch(xcPelRect(0, 0, 0, 3)); // 3 pels past the bottom edge only
    EXPECT_TRUE(t.found(params, 3, true));
    EXPECT_FALSE(t.found(params, 4, true));
}

// However far the rectangle lets the model go, a placement is scored only when at least half of
// the model's cared-for pels lie on the image; when none is, nothing is reported.
TEST(SubModelPartial, HalfTheCaredPelsMustOverlap) {
    const Overhang t;
    xcSubModelCorRunParams params = compileParams(t.w, t.h, 400.0, 400.0);
    params.partialMatch(xcPelRect(-4 * t.w, -100, 8 * t.w, 200));
    EXPECT_TRUE(t.found(params, t.w / 2));
    EXPECT_FALSE(t.found(params, t.w / 2 + 1));
    const xc_SubModelResultSet rs = run(t.tool, paper(xcPelRect(0, 0, 3, 3)), params);
    EXPECT_EQ(rs.numFound(), 0);
    EXPECT_TRUE(rs.results().empty());
}

} // namespace
