#include "submodel_test_util.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace submodel_test;

namespace {

// The score of one placement computed directly: the correlation over the pels both masks care
// for (from 128 up) inside the image, clamped at 0; -1 when fewer than half of the model's
// cared-for pels take part.
double directScore(const xcPelBuffer_const<unsigned char>& model,
                   const xcPelBuffer_const<unsigned char>& modelMask,
                   const xcPelBuffer_const<unsigned char>& image,
                   const xcPelBuffer_const<unsigned char>& imageMask, long u, long v) {
    double n = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0, cared = 0;
    for (long j = 0; j < model.height(); ++j)
        for (long i = 0; i < model.width(); ++i) {
            if (*modelMask.pointToPel(i, j) < 128) continue;
            ++cared;
            const long x = u + i, y = v + j;
            if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) continue;
            if (*imageMask.pointToPel(x, y) < 128) continue;
            const double a = *model.pointToPel(i, j), b = *image.pointToPel(x, y);
            n += 1;
            sx += a;
            sy += b;
            sxx += a * a;
            syy += b * b;
            sxy += a * b;
        }
    if (n == 0 || 2 * n < cared) return -1.0;
    const double vx = n * sxx - sx * sx, vy = n * syy - sy * sy;
    if (vx <= 0 || vy <= 0) return 0.0;
    return std::max(0.0, (n * sxy - sx * sy) / std::sqrt(vx * vy));
}

xcPelBuffer<unsigned char> noise(const xcPelRect& window, oc_test::Rng& rng, int lo, int hi) {
    xcPelBuffer<unsigned char> b(window);
    for (long j = 0; j < b.height(); ++j)
        for (long i = 0; i < b.width(); ++i)
            *b.pointToPel(i, j) = static_cast<unsigned char>(rng.uniform(lo, hi));
    return b;
}

// Every single placement, inside the image or hanging over any border, with and without masks
// (values spread over 0..255, so 127/128 matter), scores what the direct sum gives.
TEST(SubModelScore, EachPlacementMatchesTheDirectSum) {
    oc_test::Rng rng(7);
    const xcPelBuffer<unsigned char> model = noise(xcPelRect(5, 9, 13, 11), rng, 0, 256);
    const xcPelBuffer<unsigned char> modelMask = noise(xcPelRect(0, 0, 13, 11), rng, 60, 256);
    const xcPelBuffer<unsigned char> image = noise(xcPelRect(-4, 2, 21, 17), rng, 0, 256);
    const xcPelBuffer<unsigned char> imageMask = noise(xcPelRect(40, 40, 21, 17), rng, 80, 256);
    const xcPelBuffer<unsigned char> all = paper(xcPelRect(0, 0, 30, 30), 255);
    xcPelBuffer_const<unsigned char> allModel = all, allImage = all;
    allModel.window(xcPelRect(0, 0, 13, 11));
    allImage.window(xcPelRect(0, 0, 21, 17));

    xcSubModelCorRunParams params;
    params.acceptThreshold(0.0);
    params.partialMatch(xcPelRect(-13, -11, 34, 28));
    int scored = 0, unscored = 0;
    for (int variant = 0; variant < 4; ++variant) {
        const bool useModelMask = variant & 1, useImageMask = variant & 2;
        const xc_SubModelTool tool =
            trained(useModelMask ? xcSubModel(model, modelMask, "") : xcSubModel(model, ""));
        for (long v = -8; v <= 14; v += 2)
            for (long u = -9; u <= 18; u += 3) {
                // The start pose puts model pel (5, 9) on image pel (-4 + u, 2 + v).
                const xcXform<2> start = xcXform<2>::translation(xcVector<2>(u - 9.0, v - 7.0));
                std::vector<xcVector<2>> points;
                xc_SubModelResultSet rs;
                if (useImageMask)
                    tool.run(image, imageMask, xc2XformLinear(start), params, points, rs, nullptr,
                             0);
                else
                    tool.run(image, xc2XformLinear(start), params, points, rs, nullptr, 0);
                const double expected =
                    directScore(model, useModelMask ? modelMask : allModel, image,
                                useImageMask ? imageMask : allImage, u, v);
                if (expected < 0) {
                    EXPECT_TRUE(rs.results().empty()) << variant << " " << u << " " << v;
                    ++unscored;
                } else {
                    ASSERT_EQ(rs.numFound(), 1) << variant << " " << u << " " << v;
                    EXPECT_NEAR(rs.results()[0].score(), expected, 1e-12);
                    EXPECT_EQ(rs.results()[0].pose()->xform(), start);
                    ++scored;
                }
            }
    }
    EXPECT_GT(scored, 100);
    EXPECT_GT(unscored, 50);
}

// A search over a large image is done in bands of placement rows (here five); a patch near the
// end of a band and one in the last are found exactly.
TEST(SubModelScore, LargeSearchFindsPatchesAcrossBands) {
    oc_test::Rng rng(11);
    const xcPelBuffer<unsigned char> patch = noise(xcPelRect(0, 0, 10, 12), rng, 0, 256);
    xcPelBuffer<unsigned char> image = noise(xcPelRect(0, 0, 1100, 1000), rng, 100, 140);
    paste(patch, image, 500, 225);
    paste(patch, image, 37, 985);
    const xc_SubModelTool tool = trained(xcSubModel(patch, ""));
    xcSubModelCorRunParams params;
    params.acceptThreshold(0.99);
    params.xyUncertainty(xcVector<2>(3000.0, 3000.0));
    const xc_SubModelResultSet rs = run(tool, image, params);
    ASSERT_EQ(rs.numFound(), 2);
    for (const xcSubModelResult& r : rs.results()) {
        EXPECT_NEAR(r.score(), 1.0, 1e-12);
        const xcVector<2> t = r.pose()->xform().trans();
        EXPECT_TRUE((std::abs(t.x() - 500) < 0.1 && std::abs(t.y() - 225) < 0.1) ||
                    (std::abs(t.x() - 37) < 0.1 && std::abs(t.y() - 985) < 0.1))
            << t.x() << " " << t.y();
    }
}

// Bright pels in long model rows give the largest partial sums the search keeps; they must stay
// exact whatever the model's width.
TEST(SubModelScore, LongBrightModelRowsStayExact) {
    oc_test::Rng rng(5);
    for (long w : {200L, 300L, 700L}) {
        const xcPelBuffer<unsigned char> model = noise(xcPelRect(0, 0, w, 3), rng, 200, 256);
        const xcPelBuffer<unsigned char> image = noise(xcPelRect(0, 0, w + 6, 5), rng, 200, 256);
        const xcPelBuffer<unsigned char> all = paper(xcPelRect(0, 0, w + 6, 5), 255);
        const xc_SubModelTool tool = trained(xcSubModel(model, ""));
        const xc_SubModelResultSet rs =
            run(tool, image, xcSubModelCorRunParams(), xcXform<2>::translation({3.0, 1.0}));
        ASSERT_EQ(rs.results().size(), 1u);
        EXPECT_NEAR(rs.results()[0].score(), directScore(model, all, image, all, 3, 1), 1e-12) << w;
    }
}

} // namespace
