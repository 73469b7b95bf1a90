#include "imgproc/correlation.h"
#include "imgproc/imgproc_errors.h"
#include "support/caught.h"

#include <gtest/gtest.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <random>
#include <vector>

namespace {

using Image = xcPelBuffer<unsigned char>;
using D = xc_CorrelationDefs;

Image fromRows(const xcPelRect& win, const std::vector<std::vector<int>>& rows) {
    Image img(win);
    for (long y = 0; y < win.height(); ++y)
        for (long x = 0; x < win.width(); ++x)
            *img.pointToPel(x, y) = static_cast<unsigned char>(rows[y][x]);
    return img;
}

// Smooth waves, blocks and some noise, so every window has contrast.
Image texture(const xcPelRect& win, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> noise(-12, 12);
    Image img(win);
    for (long y = 0; y < win.height(); ++y)
        for (long x = 0; x < win.width(); ++x)
            *img.pointToPel(x, y) = static_cast<unsigned char>(
                std::clamp(120 + 60 * std::sin(x / 6.0 + y / 17.0) * std::cos(y / 8.0) +
                               ((x / 13 + y / 9) % 3) * 20 + noise(rng),
                           0.0, 255.0));
    return img;
}

xc_CorrWindowSums sumsAt(const xc_CorrelationModel<unsigned char>& m, const Image& img, long x,
                         long y) {
    xc_CorrWindowSums s;
    m.pointFunc()(img.pointToPel(x, y), img.rowUpdate(), m.pels(), m.care(), m.rowUpdate(),
                  m.width(), m.height(), s);
    return s;
}

} // namespace

// Model (10 20 / 30 40): n 4, Sx 100, Sx2 3000, variance 4 * 3000 - 100^2 = 2000. Ignoring the
// 40 (mask 255; 254 still counts): n 3, Sx 60, Sx2 1400, variance 600. On the window (1 2 / 4 5)
// of the image 0..8: Sy 12, Sy2 46, Sxy 370; ignoring the 40: Sy 7, Sy2 21, Sxy 170.
TEST(CorrelationModel, SumsOverCaredPelsAndBadModels) {
    const Image model = fromRows(xcPelRect(4, 9, 2, 2), {{10, 20}, {30, 40}});
    const Image img = fromRows(xcPelRect(0, 0, 3, 3), {{0, 1, 2}, {3, 4, 5}, {6, 7, 8}});
    const xc_CorrelationModel<unsigned char> plain(model);
    long long sx = 0, sx2 = 0;
    plain.sums(sx, sx2);
    EXPECT_EQ(std::vector<long long>({plain.nCarePels(), sx, sx2}),
              std::vector<long long>({4, 100, 3000}));
    EXPECT_EQ(plain.variance(), 2000.0);
    auto s = sumsAt(plain, img, 1, 0);
    EXPECT_EQ(std::vector<long long>({s.sy, s.sy2, s.sxy}), std::vector<long long>({12, 46, 370}));

    const xc_CorrelationModel<unsigned char> masked(
        model, fromRows(xcPelRect(0, 0, 2, 2), {{0, 254}, {128, 255}}));
    masked.sums(sx, sx2);
    EXPECT_EQ(std::vector<long long>({masked.nCarePels(), sx, sx2}),
              std::vector<long long>({3, 60, 1400}));
    EXPECT_EQ(masked.variance(), 600.0);
    s = sumsAt(masked, img, 1, 0);
    EXPECT_EQ(std::vector<long long>({s.sy, s.sy2, s.sxy}), std::vector<long long>({7, 21, 170}));
    const xc_CorrelationModel<unsigned char> none(
        model, fromRows(xcPelRect(0, 0, 2, 2), {{255, 255}, {255, 255}}));
    EXPECT_EQ(none.nCarePels(), 0);
    EXPECT_EQ(none.variance(), 0.0);

    const auto e = caught<xcImgProcDefs::BadImage>([&] {
        xc_CorrelationModel<unsigned char> bad(model, fromRows(xcPelRect(0, 0, 3, 1), {{1, 2, 3}}));
    });
    EXPECT_STREQ(e.what(), "Correlation mask must have the size of the model");
    EXPECT_EQ(e.errorNumber(), 0x10000602);
    EXPECT_THROW(xc_CorrelationModel<unsigned char>{Image()}, xcImgProcDefs::BadImage);
}

// x = (1 2 3 4), y = (1 3 2 4): r = (4 * 29 - 100) / sqrt(20 * 20) = 0.8: 800, squared 640.
// y = 5 - x: r = -1 (0 squared). Flat window or model: 0. x = (0 0 0 1), y = (0 0 1 1): 0.577.
TEST(CorrelationScore, HandComputedScoresAndPlacements) {
    struct Case {
        long n, sx, sx2, sy, sy2, sxy;
        int corr, squared;
    };
    for (const Case& c : std::vector<Case>{{4, 10, 30, 10, 30, 29, 800, 640},
                                           {4, 10, 30, 10, 30, 20, -1000, 0},
                                           {4, 10, 30, 10, 30, 30, 1000, 1000},
                                           {4, 10, 30, 20, 100, 50, 0, 0},
                                           {4, 20, 100, 10, 30, 50, 0, 0},
                                           {0, 0, 0, 0, 0, 0, 0, 0},
                                           {4, 1, 1, 2, 2, 1, 577, 333}}) {
        EXPECT_EQ(xf_corr_score(c.n, c.sx, c.sx2, c.sy, c.sy2, c.sxy, D::eCorrelation), c.corr);
        EXPECT_EQ(xf_corr_score(c.n, c.sx, c.sx2, c.sy, c.sy2, c.sxy, D::eCorrelationSquared),
                  c.squared);
    }
    EXPECT_THROW(xf_corr_score(4, 10, 30, 10, 30, 29, D::ScoreMode(3)), xcImgProcDefs::BadParams);
    // One score per placement, at the search origin.
    EXPECT_EQ(xf_corr_alloc_space(xcPelRect(7, -2, 10, 8), 3, 2).window(), xcPelRect(7, -2, 8, 7));
    EXPECT_FALSE(xf_corr_alloc_space(xcPelRect(0, 0, 10, 8), 11, 8).isBound());
    EXPECT_THROW(xf_corr_alloc_space(xcPelRect(0, 0, 10, 8), -1, 2), xcImgProcDefs::BadParams);
}

// The fast search gives exactly the per-placement score everywhere, finds a cut-out patch with
// 1000 at its place, and agrees with OpenCV's normalised correlation coefficient.
TEST(CorrelationSearch, FindsThePatchAndMatchesPerPlacementScoresAndOpenCv) {
    const Image img = texture(xcPelRect(10, 20, 97, 61), 7);
    Image patch = img;
    patch.window(xcPelRect(47, 41, 21, 13));
    const xc_CorrelationModel<unsigned char> model(patch);
    xcPelBuffer<short> scores;
    const xc_CorrPeak peak = xf_correlate_exhaustive(img, model, D::eCorrelation, scores);
    ASSERT_TRUE(peak.found);
    EXPECT_EQ(peak.x, 47);
    EXPECT_EQ(peak.y, 41);
    EXPECT_EQ(peak.score, 1000);
    ASSERT_EQ(scores.window(), xcPelRect(10, 20, 77, 49));

    long long sx = 0, sx2 = 0;
    model.sums(sx, sx2);
    const cv::Mat cvImg(61, 97, CV_8U, const_cast<unsigned char*>(img.pointToPel(0, 0)),
                        size_t(img.rowUpdate()));
    const cv::Mat cvPatch(13, 21, CV_8U, const_cast<unsigned char*>(patch.pointToPel(0, 0)),
                          size_t(patch.rowUpdate()));
    cv::Mat ref;
    cv::matchTemplate(cvImg, cvPatch, ref, cv::TM_CCOEFF_NORMED);
    for (long y = 0; y < 49; ++y) {
        for (long x = 0; x < 77; ++x) {
            const auto s = sumsAt(model, img, x, y);
            const short want =
                xf_corr_score(model.nCarePels(), sx, sx2, s.sy, s.sy2, s.sxy, D::eCorrelation);
            ASSERT_EQ(*scores.pointToPel(x, y), want) << x << " " << y;
            EXPECT_NEAR(want / 1000.0, ref.at<float>(int(y), int(x)), 0.0006) << x << " " << y;
        }
    }
    // Mode 1 into a bound score image of the right size, which is kept in place.
    xcPelBuffer<short> bound(xcPelRect(0, 0, 77, 49));
    EXPECT_EQ(xf_correlate_exhaustive(img, model, D::eCorrelationSquared, bound).x, 47);
    EXPECT_EQ(bound.window(), xcPelRect(0, 0, 77, 49));
}

TEST(CorrelationSearch, MaskedSearchIgnoresMaskedPels) {
    const Image img = texture(xcPelRect(0, 0, 50, 40), 11);
    Image patch(xcPelRect(0, 0, 12, 9)), mask(xcPelRect(0, 0, 12, 9));
    for (long y = 0; y < 9; ++y) {
        for (long x = 0; x < 12; ++x) {
            const bool ignored = (x + y) % 4 == 0; // rubbish that would spoil the match
            const unsigned char v = *img.pointToPel(30 + x, 17 + y);
            *patch.pointToPel(x, y) = ignored ? 255 - v : v;
            *mask.pointToPel(x, y) = ignored ? 255 : 0;
        }
    }
    xcPelBuffer<short> scores;
    const auto peak = xf_correlate_exhaustive(img, xc_CorrelationModel<unsigned char>(patch, mask),
                                              D::eCorrelation, scores);
    EXPECT_EQ(peak.x, 30);
    EXPECT_EQ(peak.y, 17);
    EXPECT_EQ(peak.score, 1000);
    EXPECT_LT(xf_correlate_exhaustive(img, xc_CorrelationModel<unsigned char>(patch),
                                      D::eCorrelation, scores)
                  .score,
              900);
}

TEST(CorrelationSearch, NoPlacementAndBadInputs) {
    const Image img = texture(xcPelRect(0, 0, 20, 10), 3);
    const xc_CorrelationModel<unsigned char> big(texture(xcPelRect(0, 0, 21, 5), 4));
    xcPelBuffer<short> scores(xcPelRect(0, 0, 2, 2));
    EXPECT_FALSE(xf_correlate_exhaustive(img, big, D::eCorrelation, scores).found);
    EXPECT_FALSE(scores.isBound());
    const auto one = // a model the size of the image has one placement
        xf_correlate_exhaustive(img, xc_CorrelationModel<unsigned char>(img), D::eCorrelation,
                                scores);
    EXPECT_EQ(one.score, 1000);
    EXPECT_EQ(scores.window(), xcPelRect(0, 0, 1, 1));

    const xc_CorrelationModel<unsigned char> small(texture(xcPelRect(0, 0, 5, 5), 5));
    xcPelBuffer<short> wrong(xcPelRect(0, 0, 3, 3));
    *wrong.pointToPel(0, 0) = 77;
    EXPECT_THROW(xf_correlate_exhaustive(img, small, D::eCorrelation, wrong),
                 xcImgProcDefs::BadImage);
    EXPECT_THROW(xf_correlate_exhaustive(img, small, D::ScoreMode(0), wrong),
                 xcImgProcDefs::BadParams);
    EXPECT_EQ(*wrong.pointToPel(0, 0), 77);
}

// Two exact copies of the model score 1000 each; the peak is the first in row-major order, the
// copy higher up, although the other lies further left and comes later in the scan.
TEST(CorrelationSearch, EqualPeaksGiveTheFirstInRowMajorOrder) {
    Image img = texture(xcPelRect(-3, 4, 40, 30), 5);
    const Image patch = texture(xcPelRect(0, 0, 6, 5), 9);
    for (const auto& [px, py] : {std::pair{7L, 1L}, std::pair{2L, 7L}})
        for (long y = 0; y < 5; ++y)
            for (long x = 0; x < 6; ++x) *img.pointToPel(px + x, py + y) = *patch.pointToPel(x, y);
    const xc_CorrelationModel<unsigned char> model(patch);
    xcPelBuffer<short> scores;
    const xc_CorrPeak peak = xf_correlate_exhaustive(img, model, D::eCorrelation, scores);
    EXPECT_EQ(*scores.pointToPel(2, 7), 1000);
    EXPECT_EQ(peak.score, 1000);
    EXPECT_EQ(peak.x, -3 + 7);
    EXPECT_EQ(peak.y, 4 + 1);
}
