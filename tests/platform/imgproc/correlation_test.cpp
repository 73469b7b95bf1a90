#include "imgproc/correlation.h"
#include "imgproc/imgproc_errors.h"

#include <gtest/gtest.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <random>
#include <vector>

namespace {

using Image = xcPelBuffer<unsigned char>;

Image fromRows(const xcPelRect& win, const std::vector<std::vector<int>>& rows) {
    Image img(win);
    for (long y = 0; y < win.height(); ++y)
        for (long x = 0; x < win.width(); ++x)
            *img.pointToPel(x, y) = static_cast<unsigned char>(rows[y][x]);
    return img;
}

// A textured image: smooth waves, blocks and some noise, so every window has contrast.
Image texture(const xcPelRect& win, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> noise(-12, 12);
    Image img(win);
    for (long y = 0; y < win.height(); ++y) {
        for (long x = 0; x < win.width(); ++x) {
            const double v = 120 + 60 * std::sin(x / 6.0 + y / 17.0) * std::cos(y / 8.0) +
                             ((x / 13 + y / 9) % 3) * 20 + noise(rng);
            *img.pointToPel(x, y) = static_cast<unsigned char>(std::clamp(v, 0.0, 255.0));
        }
    }
    return img;
}

Image window(const Image& img, const xcPelRect& r) {
    Image w = img;
    w.window(r);
    return w;
}

xc_CorrWindowSums sumsAt(const xc_CorrelationModel<unsigned char>& m, const Image& img, long x,
                         long y) {
    xc_CorrWindowSums s;
    m.pointFunc()(img.pointToPel(x, y), img.rowUpdate(), m.pels(), m.care(), m.rowUpdate(),
                  m.width(), m.height(), s);
    return s;
}

} // namespace

// Model (10 20 / 30 40): n 4, Sx 100, Sx2 3000, variance 4 * 3000 - 100^2 = 2000 = 125 n^2.
// With the mask ignoring the 40 (mask 255; 254 still counts): n 3, Sx 60, Sx2 1400,
// variance 3 * 1400 - 60^2 = 600, 600 / 9 the variance of 10, 20, 30.
TEST(CorrelationModel, CountsSumsAndVarianceOverCaredPels) {
    const Image model = fromRows(xcPelRect(4, 9, 2, 2), {{10, 20}, {30, 40}});
    const xc_CorrelationModel<unsigned char> plain(model);
    long long sx = 0, sx2 = 0;
    plain.sums(sx, sx2);
    EXPECT_EQ(plain.nCarePels(), 4);
    EXPECT_EQ(sx, 100);
    EXPECT_EQ(sx2, 3000);
    EXPECT_EQ(plain.variance(), 2000.0);
    EXPECT_EQ(plain.variance() / 16.0, 125.0);
    EXPECT_FALSE(plain.hasMask());
    EXPECT_EQ(plain.care(), nullptr);
    EXPECT_EQ(plain.pointFunc(), xf_correlate_core_get_func_point_no_mask_U8());

    const Image mask = fromRows(xcPelRect(0, 0, 2, 2), {{0, 254}, {128, 255}});
    const xc_CorrelationModel<unsigned char> masked(model, mask);
    masked.sums(sx, sx2);
    EXPECT_EQ(masked.nCarePels(), 3);
    EXPECT_EQ(sx, 60);
    EXPECT_EQ(sx2, 1400);
    EXPECT_EQ(masked.variance(), 600.0);
    EXPECT_TRUE(masked.hasMask());
    EXPECT_EQ(masked.pels()[3], 0);
    EXPECT_EQ(masked.pointFunc(), xf_correlate_core_get_func_point_mask_U8());

    const xc_CorrelationModel<unsigned char> none(
        model, fromRows(xcPelRect(0, 0, 2, 2), {{255, 255}, {255, 255}}));
    EXPECT_EQ(none.nCarePels(), 0);
    EXPECT_EQ(none.variance(), 0.0);

    try {
        xc_CorrelationModel<unsigned char> bad(model, fromRows(xcPelRect(0, 0, 3, 1), {{1, 2, 3}}));
        FAIL() << "mask of another size accepted";
    } catch (const xcImgProcDefs::BadImage& e) {
        EXPECT_STREQ(e.what(), "Correlation mask must have the size of the model");
        EXPECT_EQ(e.errorNumber(), 0x10000602);
    }
    EXPECT_THROW(xc_CorrelationModel<unsigned char>{Image()}, xcImgProcDefs::BadImage);
    Image empty = model;
    empty.window(xcPelRect(4, 9, 0, 2));
    EXPECT_THROW(xc_CorrelationModel<unsigned char>{empty}, xcImgProcDefs::BadImage);
}

// Model (10 20 / 30 40) on the window (1 2 / 4 5) of a 3 x 3 image 1..9:
// Sy 12, Sy2 46, Sxy 10 + 40 + 120 + 200 = 370; ignoring the model's 40: Sy 7, Sy2 21, Sxy 170.
TEST(CorrelationModel, PerPlacementSums) {
    const Image model = fromRows(xcPelRect(0, 0, 2, 2), {{10, 20}, {30, 40}});
    const Image img = fromRows(xcPelRect(0, 0, 3, 3), {{0, 1, 2}, {3, 4, 5}, {6, 7, 8}});
    const auto s = sumsAt(xc_CorrelationModel<unsigned char>(model), img, 1, 0);
    EXPECT_EQ(s.sy, 12);
    EXPECT_EQ(s.sy2, 46);
    EXPECT_EQ(s.sxy, 370);
    const Image mask = fromRows(xcPelRect(0, 0, 2, 2), {{0, 0}, {0, 255}});
    const auto m = sumsAt(xc_CorrelationModel<unsigned char>(model, mask), img, 1, 0);
    EXPECT_EQ(m.sy, 7);
    EXPECT_EQ(m.sy2, 21);
    EXPECT_EQ(m.sxy, 170);
}

// x = (1 2 3 4), y = (1 3 2 4): n 4, Sx = Sy = 10, Sx2 = Sy2 = 30, Sxy 29, so
// r = (4 * 29 - 100) / sqrt(20 * 20) = 0.8: 800 in mode 2 and 640 in mode 1.
TEST(CorrelationScore, HandComputedScoresAndFlatCases) {
    EXPECT_EQ(xf_corr_score(4, 10, 30, 10, 30, 29, xc_CorrelationDefs::eCorrelation), 800);
    EXPECT_EQ(xf_corr_score(4, 10, 30, 10, 30, 29, xc_CorrelationDefs::eCorrelationSquared), 640);
    // y = 5 - x: r = -1.
    EXPECT_EQ(xf_corr_score(4, 10, 30, 10, 30, 20, xc_CorrelationDefs::eCorrelation), -1000);
    EXPECT_EQ(xf_corr_score(4, 10, 30, 10, 30, 20, xc_CorrelationDefs::eCorrelationSquared), 0);
    EXPECT_EQ(xf_corr_score(4, 10, 30, 10, 30, 30, xc_CorrelationDefs::eCorrelation), 1000);
    // A flat window (y = 5 everywhere: Sy 20, Sy2 100) or a flat model scores 0.
    EXPECT_EQ(xf_corr_score(4, 10, 30, 20, 100, 50, xc_CorrelationDefs::eCorrelation), 0);
    EXPECT_EQ(xf_corr_score(4, 20, 100, 10, 30, 50, xc_CorrelationDefs::eCorrelation), 0);
    EXPECT_EQ(xf_corr_score(0, 0, 0, 0, 0, 0, xc_CorrelationDefs::eCorrelation), 0);
    // x = (0 0 0 1), y = (0 0 1 1): r = (4 - 2) / sqrt(3 * 4) = 0.57735 -> 577, 333.
    EXPECT_EQ(xf_corr_score(4, 1, 1, 2, 2, 1, xc_CorrelationDefs::eCorrelation), 577);
    EXPECT_EQ(xf_corr_score(4, 1, 1, 2, 2, 1, xc_CorrelationDefs::eCorrelationSquared), 333);
    EXPECT_THROW(xf_corr_score(4, 10, 30, 10, 30, 29, xc_CorrelationDefs::ScoreMode(3)),
                 xcImgProcDefs::BadParams);
}

TEST(CorrelationSpace, OneEntryPerPlacementAtTheSearchOrigin) {
    const auto s = xf_corr_alloc_space(xcPelRect(7, -2, 10, 8), 3, 2);
    ASSERT_TRUE(s.isBound());
    EXPECT_EQ(s.window(), xcPelRect(7, -2, 8, 7));
    EXPECT_TRUE(xf_corr_alloc_space(xcPelRect(0, 0, 10, 8), 10, 8).isBound());
    EXPECT_FALSE(xf_corr_alloc_space(xcPelRect(0, 0, 10, 8), 11, 8).isBound());
    EXPECT_FALSE(xf_corr_alloc_space(xcPelRect(0, 0, 10, 8), 3, 9).isBound());
    EXPECT_THROW(xf_corr_alloc_space(xcPelRect(0, 0, 10, 8), -1, 2), xcImgProcDefs::BadParams);
}

// The fast search gives exactly the per-placement score everywhere, finds a cut-out patch with
// 1000 at its place, and agrees with OpenCV's normalised correlation coefficient.
TEST(CorrelationSearch, ExhaustiveSearchFindsThePatchAndMatchesPerPlacementScores) {
    const Image img = texture(xcPelRect(10, 20, 97, 61), 7);
    const Image patch = window(img, xcPelRect(47, 41, 21, 13));
    const xc_CorrelationModel<unsigned char> model(patch);
    xcPelBuffer<short> scores;
    const xc_CorrPeak peak =
        xf_correlate_exhaustive(img, model, xc_CorrelationDefs::eCorrelation, scores);
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
            const short want = xf_corr_score(model.nCarePels(), sx, sx2, s.sy, s.sy2, s.sxy,
                                             xc_CorrelationDefs::eCorrelation);
            ASSERT_EQ(*scores.pointToPel(x, y), want) << x << " " << y;
            EXPECT_NEAR(want / 1000.0, ref.at<float>(int(y), int(x)), 0.0006) << x << " " << y;
        }
    }

    // Mode 1 and a bound score image of the right size (kept in place).
    xcPelBuffer<short> bound(xcPelRect(0, 0, 77, 49));
    const auto sq =
        xf_correlate_exhaustive(img, model, xc_CorrelationDefs::eCorrelationSquared, bound);
    EXPECT_EQ(sq.x, 47);
    EXPECT_EQ(sq.score, 1000);
    EXPECT_EQ(bound.window(), xcPelRect(0, 0, 77, 49));
    for (long y = 0; y < 49; ++y) {
        for (long x = 0; x < 77; ++x) {
            const double r = *scores.pointToPel(x, y) / 1000.0;
            EXPECT_NEAR(*bound.pointToPel(x, y), r > 0 ? 1000.0 * r * r : 0.0, 1.6);
        }
    }
}

TEST(CorrelationSearch, MaskedSearchIgnoresMaskedPels) {
    const Image img = texture(xcPelRect(0, 0, 50, 40), 11);
    Image patch(xcPelRect(0, 0, 12, 9));
    Image mask(xcPelRect(0, 0, 12, 9));
    for (long y = 0; y < 9; ++y) {
        for (long x = 0; x < 12; ++x) {
            const bool ignored = (x + y) % 4 == 0;
            // Ignored pels hold rubbish that would spoil the match if they counted.
            *patch.pointToPel(x, y) =
                ignored ? 255 - *img.pointToPel(30 + x, 17 + y) : *img.pointToPel(30 + x, 17 + y);
            *mask.pointToPel(x, y) = ignored ? 255 : 0;
        }
    }
    const xc_CorrelationModel<unsigned char> model(patch, mask);
    xcPelBuffer<short> scores;
    const auto peak = xf_correlate_exhaustive(img, model, xc_CorrelationDefs::eCorrelation, scores);
    EXPECT_EQ(peak.x, 30);
    EXPECT_EQ(peak.y, 17);
    EXPECT_EQ(peak.score, 1000);
    const xc_CorrelationModel<unsigned char> unmasked(patch);
    EXPECT_LT(
        xf_correlate_exhaustive(img, unmasked, xc_CorrelationDefs::eCorrelation, scores).score,
        900);
}

TEST(CorrelationSearch, NoPlacementAndBadInputs) {
    const Image img = texture(xcPelRect(0, 0, 20, 10), 3);
    const xc_CorrelationModel<unsigned char> big(texture(xcPelRect(0, 0, 21, 5), 4));
    xcPelBuffer<short> scores(xcPelRect(0, 0, 2, 2));
    const auto peak = xf_correlate_exhaustive(img, big, xc_CorrelationDefs::eCorrelation, scores);
    EXPECT_FALSE(peak.found);
    EXPECT_FALSE(scores.isBound());

    // A model the size of the image has one placement.
    const xc_CorrelationModel<unsigned char> same(img);
    const auto one = xf_correlate_exhaustive(img, same, xc_CorrelationDefs::eCorrelation, scores);
    EXPECT_TRUE(one.found);
    EXPECT_EQ(one.score, 1000);
    EXPECT_EQ(scores.window(), xcPelRect(0, 0, 1, 1));

    const xc_CorrelationModel<unsigned char> small(texture(xcPelRect(0, 0, 5, 5), 5));
    xcPelBuffer<short> wrong(xcPelRect(0, 0, 3, 3));
    *wrong.pointToPel(0, 0) = 77;
    EXPECT_THROW(xf_correlate_exhaustive(img, small, xc_CorrelationDefs::eCorrelation, wrong),
                 xcImgProcDefs::BadImage);
    EXPECT_EQ(*wrong.pointToPel(0, 0), 77);
    EXPECT_THROW(xf_correlate_exhaustive(img, small, xc_CorrelationDefs::ScoreMode(0), wrong),
                 xcImgProcDefs::BadParams);
    EXPECT_THROW(xf_correlate_exhaustive(Image(), small, xc_CorrelationDefs::eCorrelation, wrong),
                 xcImgProcDefs::BadImage);
}
