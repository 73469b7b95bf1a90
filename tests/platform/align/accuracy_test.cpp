// Accuracy of found poses on rendered glyphs with known truth: random angles, scales 0.8..1.25
// and sub-pel positions, blurred (sigma 0.7) and noisy (sigma 8).
#include "align_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kScenesPerGlyph = 1;
#else
constexpr int kScenesPerGlyph = 6;
#endif

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}
double maximum(const std::vector<double>& v) {
    return v.empty() ? 0.0 : *std::max_element(v.begin(), v.end());
}

} // namespace

// About 200 placements over six glyphs of 24 to 32 pels: at least 99 % found and accepted at
// 0.5; position (train window centre) median <= 0.1 pel and worst <= 0.5 pel, angle median
// <= 0.1 degree and worst <= 0.5 degree, scale RMS below 0.5 %.
TEST(AlignAccuracy, RandomPosesOfNoisyBlurredGlyphsAreFoundPrecisely) {
    const char32_t glyphs[] = {U'8', U'B', U'A', U'R', U'5', U'G'};
    oc_test::Rng rng(20240611);
    std::vector<double> pos, ang, scaleErr;
    int truths = 0;
    for (char32_t ch : glyphs) {
        const oc_test::GlyphImage glyph(oc_test::kSansFont, ch, rng.uniform(24.0, 32.0));
        xcAlignPattern pat;
        pat.train(glyph.trainImage(), 3, nullptr, 0);
        for (int sc = 0; sc < kScenesPerGlyph; ++sc) {
            oc_test::Scene scene(320, 240);
            const int n = align_test::scatter(scene, glyph, 6, rng, 0.8, 1.25);
            const xcPelBuffer<unsigned char> img = scene.finish(0.7, 8.0, rng.next());
            xcAlignResultSet rs;
            pat.run(img, align_test::searchParams(0.75, 1.3, n + 2), rs, nullptr, 0);
            for (const oc_test::Placement& p : scene.placements()) {
                ++truths;
                for (const xcAlignResult& r : rs) {
                    const double e = align_test::centreError(r.pose(), p.pose, glyph.centre());
                    if (!r.accepted() || e > 3.0) continue;
                    pos.push_back(e);
                    ang.push_back(align_test::angleDiffDeg(align_test::poseAngle(r.pose()),
                                                           align_test::poseAngle(p.pose)));
                    scaleErr.push_back(r.xScale() / p.scale - 1.0);
                    // The reported angle and scale describe the same pose.
                    EXPECT_NEAR(align_test::angleDiffDeg(r.angleDeg() * std::numbers::pi / 180,
                                                         align_test::poseAngle(r.pose())),
                                0.0, 1e-6);
                    EXPECT_NEAR(r.scale(), r.xScale(), 1e-9);
                    break;
                }
            }
        }
    }
    double rms = 0;
    for (double e : scaleErr) rms += e * e;
    rms = std::sqrt(rms / double(std::max<std::size_t>(1, scaleErr.size())));
    std::printf("found %zu of %d; position median %.3f max %.3f px; angle median %.3f max %.3f "
                "deg; scale rms %.4f\n",
                pos.size(), truths, median(pos), maximum(pos), median(ang), maximum(ang), rms);
    EXPECT_GE(double(pos.size()), 0.99 * truths);
    EXPECT_LE(median(pos), 0.1);
    EXPECT_LE(maximum(pos), 0.5);
    EXPECT_LE(median(ang), 0.1);
    EXPECT_LE(maximum(ang), 0.5);
    EXPECT_LT(rms, 0.005);
}

// Without blur and noise the fit is far tighter than the targets.
TEST(AlignAccuracy, CleanGlyphAtSubPelPoseIsFoundToAHundredthOfAPel) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'R', 28.0);
    xcAlignPattern pat;
    pat.train(glyph.trainImage(), 3, nullptr, 0);
    oc_test::Scene scene(120, 100);
    const oc_test::Placement& p = scene.place(glyph, 33.3, 1.1, xcVector<2>(60.37, 48.81));
    xcAlignResultSet rs;
    pat.run(scene.finish(0, 0, 1), align_test::searchParams(0.9, 1.2, 1), rs, nullptr, 0);
    ASSERT_EQ(rs.size(), 1u);
    EXPECT_TRUE(rs[0].accepted());
    EXPECT_GT(rs[0].score(), 0.97);
    EXPECT_LT(align_test::centreError(rs[0].pose(), p.pose, glyph.centre()), 0.02);
    EXPECT_NEAR(rs[0].angleDeg(), 33.3, 0.05);
    EXPECT_NEAR(rs[0].scale(), 1.1, 0.002);
    EXPECT_DOUBLE_EQ(rs[0].coverage(), 1.0);
}
