// Normalised correlation, edge detection and threshold selection, each against hand-computed
// values and OpenCV.
#include "imgproc/correlation.h"
#include "imgproc/edges.h"
#include "imgproc/imgproc_errors.h"
#include "imgproc/threshold.h"
#include "support/caught.h"

#include <gtest/gtest.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <numbers>
#include <random>
#include <vector>

namespace {

using Image = xcPelBuffer<unsigned char>;
using D = xc_CorrelationDefs;
using R = xcThresholdResult;

// An image of the window whose pel at image coordinates (x, y) is f(x, y), clamped to 0 .. 255;
// f is called in row-major order.
Image makeImage(const xcPelRect& win, const std::function<double(long, long)>& f) {
    Image img(win);
    for (long y = 0; y < win.height(); ++y)
        for (long x = 0; x < win.width(); ++x)
            *img.pointToPel(x, y) =
                static_cast<unsigned char>(std::clamp(f(win.x() + x, win.y() + y), 0.0, 255.0));
    return img;
}

Image fromRows(const xcPelRect& win, const std::vector<std::vector<int>>& rows) {
    return makeImage(win, [&](long x, long y) { return rows[y - win.y()][x - win.x()]; });
}

// The listed values in row-major order, repeating.
Image withValues(const xcPelRect& win, const std::vector<int>& values) {
    return makeImage(
        win, [&, i = std::size_t(0)](long, long) mutable { return values[i++ % values.size()]; });
}

// Smooth waves, blocks and some noise, so every window has contrast.
Image texture(const xcPelRect& win, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> noise(-12, 12);
    return makeImage(win, [&](long x, long y) {
        return 120 + 60 * std::sin(x / 6.0 + y / 17.0) * std::cos(y / 8.0) +
               ((x / 13 + y / 9) % 3) * 20 + noise(rng);
    });
}

xc_CorrWindowSums sumsAt(const xc_CorrelationModel<unsigned char>& m, const Image& img, long x,
                         long y) {
    xc_CorrWindowSums s;
    m.pointFunc()(img.pointToPel(x, y), img.rowUpdate(), m.pels(), m.care(), m.rowUpdate(),
                  m.width(), m.height(), s);
    return s;
}

// The plain Sobel filter unless told otherwise.
std::vector<xcEdgelet> detect(const Image& img,
                              const xcEdgeParams& params = xcEdgeParams(0.0, 10.0, 1)) {
    std::vector<xcEdgelet> out;
    xfEdgeDetect(img, params, out, nullptr, 0);
    return out;
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

TEST(Edgelet, ChecksItsMagnitudeAndRoundsAngles) {
    EXPECT_THROW(xcEdgelet(xcVector<2>(), -1.0, xcBinaryAngle8()), xcImgProcDefs::BadParams);

    // Angles round to the nearest of 256 directions.
    const double step = 2.0 * std::numbers::pi / 256.0;
    const double rads[] = {-std::numbers::pi,      -0.4 * step, -0.6 * step, 10.6 * step,
                           4.0 * std::numbers::pi, NAN};
    const int plains[] = {128, 0, 255, 11, 0, 0};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(xcBinaryAngle8(xcRadian(rads[i])).plain(), plains[i]) << rads[i];
    for (int p8 = 0; p8 < 256; ++p8) {
        const xcBinaryAngle8 a{static_cast<unsigned char>(p8)};
        EXPECT_EQ(xcBinaryAngle8(a.toRadian()), a) << p8;
    }
}

// A sharp step between pel columns 9 and 10 of a window whose origin is (5, 3) lies at image x =
// 15.0; each interior row gives one edgelet, of magnitude (200 - 40) * 4 / 8 = 80, pointing
// from dark to light.
TEST(EdgeDetect, SharpStepGivesOneSubPixelEdgeletPerRow) {
    const xcPelRect win(5, 3, 20, 12);
    for (bool darkLeft : {true, false}) {
        const int lo = darkLeft ? 40 : 200, hi = darkLeft ? 200 : 40;
        const auto e = detect(makeImage(win, [&](long x, long) { return x < 15 ? lo : hi; }));
        ASSERT_EQ(e.size(), 10u) << darkLeft;
        for (size_t i = 0; i < e.size(); ++i) {
            EXPECT_NEAR(e[i].position().x(), 15.0, 1e-12);
            EXPECT_NEAR(e[i].position().y(), 3 + 1 + long(i) + 0.5, 1e-12);
            EXPECT_NEAR(e[i].magnitude(), 80.0, 1e-12);
            EXPECT_EQ(e[i].angle().plain(), darkLeft ? 0 : 128);
        }
    }
}

// Columns ..9 = 40, 10 = v, 11.. = 200 give magnitudes (v - 40) / 2, 80, (200 - v) / 2 at
// columns 9, 10, 11; v = 80 gives s = (20 - 60) / (2 (20 - 160 + 60)) = 0.25 (x = 10.75).
TEST(EdgeDetect, SubPixelPositionFollowsTheParabolaVertex) {
    const std::map<int, double> expected{{120, 10.5}, {80, 10.75}, {160, 10.25}};
    for (const auto& [v, x0] : expected) {
        const auto e = detect(makeImage(xcPelRect(0, 0, 20, 8), [v = v](long x, long) {
            return x < 10 ? 40 : (x == 10 ? v : 200);
        }));
        ASSERT_EQ(e.size(), 6u) << v;
        for (const auto& el : e) EXPECT_NEAR(el.position().x(), x0, 1e-12) << v;
    }
}

TEST(EdgeDetect, ThresholdSmoothingAndSmallWindows) {
    const Image step =
        makeImage(xcPelRect(0, 0, 20, 12), [](long x, long) { return x < 10 ? 40 : 200; });
    EXPECT_EQ(detect(step, xcEdgeParams(0.0, 80.0, 1)).size(), 10u);
    EXPECT_TRUE(detect(step, xcEdgeParams(0.0, 80.001, 1)).empty());
    EXPECT_TRUE(detect(makeImage(xcPelRect(0, 0, 9, 9), [](long, long) { return 90; }),
                       xcEdgeParams(0.0, 0.0, 1))
                    .empty());                                    // zero gradient is never an edge
    const auto smooth = detect(step, xcEdgeParams(1.0, 10.0, 1)); // sigma 2: in place, lower peak
    ASSERT_EQ(smooth.size(), 10u);
    for (const auto& el : smooth) {
        EXPECT_NEAR(el.position().x(), 10.0, 1e-3);
        EXPECT_LT(el.magnitude(), 60.0);
        EXPECT_GT(el.magnitude(), 20.0);
    }
    EXPECT_TRUE(
        detect(makeImage(xcPelRect(0, 0, 2, 50), [](long, long y) { return y * 5; })).empty());
    std::vector<xcEdgelet> keep(3);
    EXPECT_THROW(xfEdgeDetect(Image(), xcEdgeParams(), keep), xcImgProcDefs::BadImage);
    EXPECT_EQ(keep.size(), 3u);
}

// With every pel kept (edge type 0), the edgelets are the interior pels whose OpenCV 3 x 3 Sobel
// magnitude / 8 reaches the threshold, with the same magnitude and direction.
TEST(EdgeDetect, AllEdgesMatchOpenCvSobel) {
    const xcPelRect win(3, 7, 61, 47);
    const Image img = makeImage(win, [](long x, long y) {
        return int(128 + 70 * std::sin(x / 5.0) * std::cos(y / 7.0) + ((x / 9 + y / 11) % 2) * 30);
    });
    const cv::Mat m(int(win.height()), int(win.width()), CV_8U,
                    const_cast<unsigned char*>(img.pointToPel(0, 0)), size_t(img.rowUpdate()));
    cv::Mat dx, dy;
    cv::Sobel(m, dx, CV_32F, 1, 0, 3);
    cv::Sobel(m, dy, CV_32F, 0, 1, 3);
    const double thr = 12.0;
    std::vector<xcEdgelet> want;
    for (int y = 1; y + 1 < m.rows; ++y) {
        for (int x = 1; x + 1 < m.cols; ++x) {
            const double gx = dx.at<float>(y, x), gy = dy.at<float>(y, x);
            const double mag = std::hypot(gx, gy) / 8.0;
            if (mag < thr || mag == 0.0) continue;
            want.emplace_back(xcVector<2>(win.x() + x + 0.5, win.y() + y + 0.5), mag,
                              xcBinaryAngle8(xcRadian(std::atan2(gy, gx))));
        }
    }
    const auto got = detect(img, xcEdgeParams(0.0, thr, 0));
    ASSERT_EQ(got.size(), want.size());
    ASSERT_GT(got.size(), 500u);
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].position(), want[i].position());
        EXPECT_NEAR(got[i].magnitude(), want[i].magnitude(), 1e-9);
        EXPECT_EQ(got[i].angle(), want[i].angle());
    }
}

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
        Image img = makeImage(xcPelRect(0, 0, 64, 48), [&](long x, long y) {
            return (x * 3 + y * (trial + 1)) % 5 < 2 ? dark(rng) : light(rng);
        });
        const cv::Mat m(48, 64, CV_8U, img.pointToPel(0, 0), size_t(img.rowUpdate()));
        cv::Mat bin;
        const double t = cv::threshold(m, bin, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
        const auto r = xfThresholdWGV(img);
        EXPECT_EQ(r.threshold(), long(t) + 1) << trial;
        EXPECT_GT(r.score(), 0.5);
        EXPECT_LT(r.score(), 1.0);
    }
}
