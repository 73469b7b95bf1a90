#include "imgproc/imgproc_errors.h"
#include "imgproc/threshold.h"
#include "support/caught.h"

#include <gtest/gtest.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <random>
#include <vector>

namespace {

using Image = xcPelBuffer<unsigned char>;
using R = xcThresholdResult;

// An image of the given window whose pels take the listed values in row-major order, repeating.
Image withValues(const xcPelRect& win, const std::vector<int>& values) {
    Image img(win);
    size_t i = 0;
    for (long y = 0; y < win.height(); ++y)
        for (long x = 0; x < win.width(); ++x)
            *img.pointToPel(x, y) = static_cast<unsigned char>(values[i++ % values.size()]);
    return img;
}

} // namespace

// Two levels split halfway with full score (any t in 51..150 separates 50 from 150: T = 100).
// Values 10, 10, 20, 200: t in 21..200 gives N^2 sigmaB^2 = (40 - 600)^2 / 3, the best, so
// T = (21 + 200) / 2 = 110 and the score is that over 4 * 40600 - 240^2 = 104800.
TEST(ThresholdWGV, HandComputedThresholdsAndFlatRegions) {
    for (auto [values, t] : std::vector<std::pair<std::vector<int>, long>>{
             {{0, 255, 255}, 128}, {{50, 150, 150, 150}, 100}}) {
        const auto two = xfThresholdWGV(withValues(xcPelRect(3, 4, 10, 7), values));
        EXPECT_EQ(two.threshold(), t);
        EXPECT_DOUBLE_EQ(two.score(), 1.0);
    }
    const auto r = xfThresholdWGV(withValues(xcPelRect(0, 0, 4, 1), {10, 10, 20, 200}));
    EXPECT_EQ(r.threshold(), 110);
    EXPECT_NEAR(r.score(), (560.0 * 560.0 / 3.0) / 104800.0, 1e-12);
    for (int v : {0, 77, 255})
        EXPECT_EQ(xfThresholdWGV(withValues(xcPelRect(0, 0, 6, 5), {v})), R(v, 0.0));
    Image empty = withValues(xcPelRect(0, 0, 6, 5), {10, 200});
    empty.window(xcPelRect(2, 2, 0, 3));
    EXPECT_EQ(xfThresholdWGV(empty), R(0, 0.0));
    R checked;
    EXPECT_THROW(checked.threshold(257), xcImgProcDefs::BadParams);
    EXPECT_THROW(checked.score(1.0000001), xcImgProcDefs::BadParams);
    EXPECT_THROW(checked.score(NAN), xcImgProcDefs::BadParams);
    EXPECT_EQ(checked, R());
}

// The mask (>= 128 cared for) is paired with the image by window position.
TEST(ThresholdWGV, MaskSelectsThePelsThatCount) {
    const Image img = withValues(xcPelRect(5, 5, 8, 4), {0, 0, 0, 0, 255, 255, 255, 255});
    const Image left = withValues(xcPelRect(-3, 100, 8, 4), {128, 255, 200, 130, 127, 0, 1, 0});
    EXPECT_EQ(xfThresholdWGV(img, left), R(0, 0.0));
    const Image both = withValues(xcPelRect(0, 0, 8, 4), {128, 0, 0, 0, 0, 0, 0, 128});
    EXPECT_EQ(xfThresholdWGV(img, both).threshold(), 128);
    EXPECT_EQ(xfThresholdWGV(img, withValues(xcPelRect(0, 0, 8, 4), {0})), R(0, 0.0));
    EXPECT_STREQ(caught<xcImgProcDefs::BadImage>([&] {
                     xfThresholdWGV(img, withValues(xcPelRect(5, 5, 8, 5), {255}));
                 }).what(),
                 "Threshold mask must have the size of the image");
    EXPECT_THROW(xfThresholdWGV(Image()), xcImgProcDefs::BadImage);
}

// OpenCV's Otsu threshold t puts g <= t below; ours puts g < T below, so T = t + 1 where the
// maximum is unique.
TEST(ThresholdWGV, AgreesWithOpenCvOtsu) {
    std::mt19937 rng(5);
    std::normal_distribution<double> dark(70, 18), light(170, 25);
    for (int trial = 0; trial < 5; ++trial) {
        Image img(xcPelRect(0, 0, 64, 48));
        for (long y = 0; y < 48; ++y)
            for (long x = 0; x < 64; ++x)
                *img.pointToPel(x, y) = static_cast<unsigned char>(std::clamp(
                    (x * 3 + y * (trial + 1)) % 5 < 2 ? dark(rng) : light(rng), 0.0, 255.0));
        const cv::Mat m(48, 64, CV_8U, img.pointToPel(0, 0), size_t(img.rowUpdate()));
        cv::Mat bin;
        const double t = cv::threshold(m, bin, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
        const auto r = xfThresholdWGV(img);
        EXPECT_EQ(r.threshold(), long(t) + 1) << trial;
        EXPECT_GT(r.score(), 0.5);
        EXPECT_LT(r.score(), 1.0);
    }
}
