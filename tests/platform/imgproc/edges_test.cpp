#include "imgproc/edges.h"
#include "imgproc/imgproc_errors.h"

#include <gtest/gtest.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <numbers>
#include <set>

namespace {

using Image = xcPelBuffer<unsigned char>;

// An image with window `win` whose pel at image coordinates (x, y) is f(x, y).
Image makeImage(const xcPelRect& win, const std::function<int(long, long)>& f) {
    Image img(win);
    for (long y = 0; y < win.height(); ++y)
        for (long x = 0; x < win.width(); ++x)
            *img.pointToPel(x, y) = static_cast<unsigned char>(f(win.x() + x, win.y() + y));
    return img;
}

std::vector<xcEdgelet> detect(const Image& img, const xcEdgeParams& params = xcEdgeParams()) {
    std::vector<xcEdgelet> out;
    xfEdgeDetect(img, params, out, nullptr, 0);
    return out;
}

// The edge-direction rule the pattern trainer applies: fewer than 25 edgelets, or more than half
// of them within one window of 15 bins of the 128 directions modulo 180 degrees.
bool degenerate(const std::vector<xcEdgelet>& e) {
    const long n = long(e.size());
    if (n < 25) return true;
    std::array<long, 143> bins{};
    for (const auto& el : e) ++bins[el.angle().plain() & 127];
    for (int i = 0; i < 15; ++i) bins[128 + i] = bins[i];
    long best = 0;
    for (int s = 0; s < 128; ++s) {
        long sum = 0;
        for (int i = 0; i < 15; ++i) sum += bins[s + i];
        best = std::max(best, sum);
    }
    return best > n * 0.5;
}

} // namespace

TEST(EdgeParams, DefaultsAndChecks) {
    const xcEdgeParams d;
    EXPECT_EQ(d, xcEdgeParams(1.0, 10.0, 1));
    EXPECT_EQ(d.filterSize(), 1.0);
    EXPECT_EQ(d.magnitudeThreshold(), 10.0);
    EXPECT_EQ(d.edgeType(), xcEdgeParams::ePeakEdges);

    xcEdgeParams p;
    try {
        p.filterSize(0.99);
        FAIL() << "filter size below 1 accepted";
    } catch (const xcImgProcDefs::BadParams& e) {
        EXPECT_STREQ(e.what(), "Edge filter size must be between 1 and 32");
        EXPECT_EQ(e.errorNumber(), 0x10000601);
    }
    EXPECT_THROW(p.filterSize(32.5), xcImgProcDefs::BadParams);
    EXPECT_THROW(p.filterSize(std::nan("")), xcImgProcDefs::BadParams);
    EXPECT_THROW(p.magnitudeThreshold(-0.1), xcImgProcDefs::BadParams);
    EXPECT_THROW(p.magnitudeThreshold(INFINITY), xcImgProcDefs::BadParams);
    EXPECT_THROW(p.edgeType(2), xcImgProcDefs::BadParams);
    EXPECT_THROW(xcEdgeParams(1.0, 10.0, -1), xcImgProcDefs::BadParams);
    EXPECT_EQ(p, xcEdgeParams()); // failed setters changed nothing
    p.filterSize(32.0);
    p.magnitudeThreshold(0.0);
    p.edgeType(0);
    EXPECT_EQ(p, xcEdgeParams(32.0, 0.0, 0));

    EXPECT_THROW(xcEdgelet(xcVector<2>(), -1.0, xcBinaryAngle8()), xcImgProcDefs::BadParams);
}

TEST(BinaryAngle, RoundsToTheNearestOf256Directions) {
    const double step = 2.0 * std::numbers::pi / 256.0;
    EXPECT_EQ(xcBinaryAngle8(xcRadian(0.0)).plain(), 0);
    EXPECT_EQ(xcBinaryAngle8(xcRadian(std::numbers::pi / 2)).plain(), 64);
    EXPECT_EQ(xcBinaryAngle8(xcRadian(std::numbers::pi)).plain(), 128);
    EXPECT_EQ(xcBinaryAngle8(xcRadian(-std::numbers::pi)).plain(), 128);
    EXPECT_EQ(xcBinaryAngle8(xcRadian(-std::numbers::pi / 2)).plain(), 192);
    EXPECT_EQ(xcBinaryAngle8(xcRadian(-0.4 * step)).plain(), 0);
    EXPECT_EQ(xcBinaryAngle8(xcRadian(-0.6 * step)).plain(), 255);
    EXPECT_EQ(xcBinaryAngle8(xcRadian(10.6 * step)).plain(), 11);
    EXPECT_EQ(xcBinaryAngle8(xcRadian(4.0 * std::numbers::pi + 3.0 * step)).plain(), 3);
    EXPECT_EQ(xcBinaryAngle8(xcRadian(NAN)).plain(), 0);
    for (int p = 0; p < 256; ++p) {
        const xcBinaryAngle8 a{static_cast<unsigned char>(p)};
        EXPECT_EQ(xcBinaryAngle8(a.toRadian()), a) << p;
    }
}

// A sharp step between pel columns 9 and 10 of a window whose origin is (5, 3) lies at image x =
// 15.0; each interior row gives exactly one edgelet, of magnitude (200 - 40) * 4 / 8 = 80.
TEST(EdgeDetect, SharpVerticalStepGivesOneSubPixelEdgeletPerRow) {
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

// Steps spread over one pel: the parabola vertex moves the edge by hand-computed amounts.
// Columns ..9 = 40, 10 = v, 11.. = 200 give magnitudes (v - 40) / 2, 80, (200 - v) / 2 at
// columns 9, 10, 11; v = 120 gives s = 0 (x = 10.5), v = 80 gives m = 20, 80, 60 and
// s = (20 - 60) / (2 (20 - 160 + 60)) = 0.25 (x = 10.75).
TEST(EdgeDetect, SubPixelPositionFollowsTheParabolaVertex) {
    const xcPelRect win(0, 0, 20, 8);
    const std::map<int, double> expected{{120, 10.5}, {80, 10.75}, {160, 10.25}};
    for (const auto& [v, x0] : expected) {
        const auto e = detect(
            makeImage(win, [v = v](long x, long) { return x < 10 ? 40 : (x == 10 ? v : 200); }));
        ASSERT_EQ(e.size(), 6u) << v;
        for (const auto& el : e) EXPECT_NEAR(el.position().x(), x0, 1e-12) << v;
    }
}

TEST(EdgeDetect, DirectionsPointFromDarkToLight) {
    const xcPelRect win(0, 0, 24, 24);
    struct Case {
        std::function<bool(long, long)> light;
        int plain;
    };
    const std::vector<Case> cases{
        {[](long, long y) { return y >= 12; }, 64},       // light below
        {[](long, long y) { return y < 12; }, 192},       // light above
        {[](long x, long y) { return x + y >= 24; }, 32}, // light towards +x +y
        {[](long x, long y) { return x - y >= 0; }, 224}, // light towards +x -y
    };
    for (const auto& c : cases) {
        const auto e =
            detect(makeImage(win, [&](long x, long y) { return c.light(x, y) ? 220 : 30; }));
        ASSERT_FALSE(e.empty());
        for (const auto& el : e) EXPECT_EQ(el.angle().plain(), c.plain);
    }
}

// A dark filled bar on a light ground: along each long side every column holds exactly one
// edgelet (one chain per stroke edge), the two sides point in opposite directions, and the
// edge-direction rule calls the bar degenerate. A disc of radius 6 has edges all round.
TEST(EdgeDetect, FilledBarIsDegenerateAndDiscIsNot) {
    const auto bar = detect(makeImage(xcPelRect(0, 0, 80, 40), [](long x, long y) {
        return (x >= 20 && x < 60 && y >= 16 && y < 24) ? 20 : 230;
    }));
    std::map<long, int> top, bottom;
    for (const auto& el : bar) {
        const long col = long(std::floor(el.position().x()));
        if (col < 23 || col > 56) continue; // away from the corners
        if (el.angle().plain() == 192) ++top[col];
        if (el.angle().plain() == 64) ++bottom[col];
        EXPECT_TRUE(el.angle().plain() == 192 || el.angle().plain() == 64) << col;
    }
    ASSERT_EQ(top.size(), 34u);
    ASSERT_EQ(bottom.size(), 34u);
    for (const auto& [col, n] : top) EXPECT_EQ(n, 1) << col;
    for (const auto& [col, n] : bottom) EXPECT_EQ(n, 1) << col;
    for (const auto& el : bar) {
        if (el.angle().plain() == 192) {
            EXPECT_NEAR(el.position().y(), 16.0, 0.5);
        } else if (el.angle().plain() == 64) {
            EXPECT_NEAR(el.position().y(), 24.0, 0.5);
        }
    }
    EXPECT_TRUE(degenerate(bar));

    const auto disc = detect(makeImage(xcPelRect(0, 0, 32, 32), [](long x, long y) {
        const double dx = x + 0.5 - 16.0, dy = y + 0.5 - 16.0;
        return dx * dx + dy * dy <= 36.0 ? 20 : 230;
    }));
    EXPECT_GE(disc.size(), 25u);
    EXPECT_FALSE(degenerate(disc));
    for (const auto& el : disc) {
        const xcVector<2> r = el.position() - xcVector<2>(16.0, 16.0);
        EXPECT_NEAR(r.len(), 6.0, 1.0);
        // The gradient points outwards, from the dark disc to the light ground.
        const double d = (xcBinaryAngle8(r.angle()).plain() - el.angle().plain() + 256) % 256;
        EXPECT_LE(std::min(d, 256 - d), 12) << r.x() << " " << r.y();
    }
}

TEST(EdgeDetect, ThresholdSmoothingAndSmallWindows) {
    const Image step =
        makeImage(xcPelRect(0, 0, 20, 12), [](long x, long) { return x < 10 ? 40 : 200; });
    EXPECT_EQ(detect(step, xcEdgeParams(1.0, 80.0, 1)).size(), 10u);
    EXPECT_TRUE(detect(step, xcEdgeParams(1.0, 80.001, 1)).empty());
    EXPECT_TRUE(detect(makeImage(xcPelRect(0, 0, 9, 9), [](long, long) { return 90; }),
                       xcEdgeParams(1.0, 0.0, 1))
                    .empty()); // zero gradient is never an edge

    // All edges: both pels of the step, at their centres.
    const auto all = detect(step, xcEdgeParams(1.0, 10.0, 0));
    ASSERT_EQ(all.size(), 20u);
    EXPECT_EQ(all[0].position(), xcVector<2>(9.5, 1.5));
    EXPECT_EQ(all[1].position(), xcVector<2>(10.5, 1.5));

    // Smoothing keeps a symmetric edge in place and lowers its peak.
    const auto smooth = detect(step, xcEdgeParams(3.0, 10.0, 1));
    ASSERT_EQ(smooth.size(), 10u);
    for (const auto& el : smooth) {
        EXPECT_NEAR(el.position().x(), 10.0, 1e-3);
        EXPECT_LT(el.magnitude(), 60.0);
        EXPECT_GT(el.magnitude(), 20.0);
    }

    EXPECT_TRUE(
        detect(makeImage(xcPelRect(0, 0, 2, 50), [](long, long y) { return y * 5; })).empty());
    EXPECT_TRUE(
        detect(makeImage(xcPelRect(0, 0, 50, 2), [](long x, long) { return x * 5; })).empty());

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
    const auto got = detect(img, xcEdgeParams(1.0, thr, 0));
    ASSERT_EQ(got.size(), want.size());
    ASSERT_GT(got.size(), 500u);
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].position(), want[i].position());
        EXPECT_NEAR(got[i].magnitude(), want[i].magnitude(), 1e-9);
        EXPECT_EQ(got[i].angle(), want[i].angle());
    }

    // Peak edges are a subset of those pels, one per pel.
    std::set<std::pair<long, long>> allPels;
    for (const auto& el : got)
        allPels.insert({long(el.position().x() - 0.5), long(el.position().y() - 0.5)});
    const auto peaks = detect(img, xcEdgeParams(1.0, thr, 1));
    ASSERT_FALSE(peaks.empty());
    EXPECT_LT(peaks.size(), got.size());
    for (const auto& el : peaks) {
        EXPECT_GE(el.magnitude(), thr);
        const long px = long(std::floor(el.position().x())),
                   py = long(std::floor(el.position().y()));
        bool near = false;
        for (long oy = -1; oy <= 1; ++oy)
            for (long ox = -1; ox <= 1; ++ox) near = near || allPels.count({px + ox, py + oy});
        EXPECT_TRUE(near);
    }
}
