#include "core/geom/geom_errors.h"
#include "core/image/affine_sampling.h"
#include "core/image/pel_errors.h"
#include "core/image/pel_ops.h"
#include "image_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace image_test;

namespace {

using Params = xcAffineSamplingParams;

constexpr Params::Interpolation kModes[] = {Params::eNearest, Params::eBilinear,
                                            Params::eBilinearHighPrecision, Params::eBicubic};

// Image point that output pel (i, j) samples.
xcVector<2> samplePoint(const Params& p, const xc_PelBuffer& src, long i, long j) {
    const xcVector<2> unit((double(i) + 0.5) / p.nx(), (double(j) + 0.5) / p.ny());
    return src.imageFromClientXform()->mapPoint(p.affineRectangle().affRectFromUnitSq() * unit);
}

// Straightforward double bilinear on the pel-centre lattice, reads clamped to the window.
double referenceBilinear(const Image& src, const xcVector<2>& s) {
    const xcPelRect w = src.window();
    const double u = s.x() - double(w.x()) - 0.5, v = s.y() - double(w.y()) - 0.5;
    const double fu = std::floor(u), fv = std::floor(v);
    const double tx = u - fu, ty = v - fv;
    auto at = [&](double x, double y) {
        const long cx = std::clamp(long(x), 0L, w.width() - 1);
        const long cy = std::clamp(long(y), 0L, w.height() - 1);
        return double(*src.pointToPel(cx, cy));
    };
    const double top = at(fu, fv) * (1 - tx) + at(fu + 1, fv) * tx;
    const double bot = at(fu, fv + 1) * (1 - tx) + at(fu + 1, fv + 1) * tx;
    return top * (1 - ty) + bot * ty;
}

// Pel of the window holding s, clamped to the window.
double referenceNearest(const Image& src, const xcVector<2>& s) {
    const xcPelRect w = src.window();
    const long x = std::clamp(long(std::floor(s.x())) - w.x(), 0L, w.width() - 1);
    const long y = std::clamp(long(std::floor(s.y())) - w.y(), 0L, w.height() - 1);
    return *src.pointToPel(x, y);
}

// Catmull-Rom cubic convolution on the pel-centre lattice, reads clamped, result clamped.
double referenceBicubic(const Image& src, const xcVector<2>& s) {
    const xcPelRect w = src.window();
    const double u = s.x() - double(w.x()) - 0.5, v = s.y() - double(w.y()) - 0.5;
    const long iu = long(std::floor(u)), iv = long(std::floor(v));
    auto kernel = [](double d) {
        d = std::fabs(d);
        if (d < 1) return 1.5 * d * d * d - 2.5 * d * d + 1;
        if (d < 2) return -0.5 * d * d * d + 2.5 * d * d - 4 * d + 2;
        return 0.0;
    };
    double sum = 0.0;
    for (long r = -1; r <= 2; ++r)
        for (long c = -1; c <= 2; ++c) {
            const long x = std::clamp(iu + c, 0L, w.width() - 1);
            const long y = std::clamp(iv + r, 0L, w.height() - 1);
            sum += kernel(u - double(iu + c)) * kernel(v - double(iv + r)) * *src.pointToPel(x, y);
        }
    return std::clamp(sum, 0.0, 255.0);
}

// A rectangle of side lengths (nx, ny) * scale turned by angleDeg about its centre c.
xcAffineRectangle turned(const xcVector<2>& c, double angleDeg, double scale, short nx, short ny) {
    xcAffineRectangle r(xcVector<2>(0, 0), nx * scale, ny * scale,
                        xcRadian(angleDeg * std::numbers::pi / 180.0), xcRadian(0.0));
    r.centre(c);
    return r;
}

} // namespace

TEST(AffineSamplingParams, WillClipComparesTheMappedRectangleWithTheWindow) {
    Image img(xcPelRect(0, 0, 40, 40));
    img.window(xcPelRect(10, 20, 7, 5));
    img.clientFromImageXform(xcXform<2>::translation(xcVector<2>(100, 0)));
    const xcXform<2> cfi = img.clientFromImage();
    const xcPelRect& w = img.window();
    const xcAffineRectangle exact(cfi.mapPoint(w.ul()), cfi.mapPoint(w.ur()), cfi.mapPoint(w.ll()));
    const xcVector<2> po = exact.cornerPo(), px = exact.cornerPx(), py = exact.cornerPy();
    auto clips = [&](const xcAffineRectangle& r) { return Params(r, 7, 5).willClip(img); };
    EXPECT_FALSE(clips(exact));
    EXPECT_TRUE(clips(xcAffineRectangle(po, px + xcVector<2>(1e-6, 0), py)));
    EXPECT_FALSE(clips(xcAffineRectangle(po, px + xcVector<2>(1e-10, 0), py)));
    // Turned by 45 degrees: a 3 x 3 square fits the 7 x 5 window, a 4 x 4 one does not.
    EXPECT_FALSE(clips(turned(xcVector<2>(113.5, 22.5), 45, 1.0, 3, 3)));
    EXPECT_TRUE(clips(turned(xcVector<2>(113.5, 22.5), 45, 1.0, 4, 4)));
    EXPECT_THROW(Params(exact, 7, 5).willClip(Image()), xcPel::UnboundWindow);

    // A non-linear transform is judged by its first-order approximation at the centre: with
    // x' = x + 0.004 x^2 the square x = 22 .. 78 reaches x' = 102.3 exactly, but only 99.2 under
    // x' = 60 + 1.4 (x - 50), which decides; x = 20 .. 80 reaches 102 under either.
    Image curved(100, 100);
    curved.imageFromClientXform(std::make_shared<xc2XformPoly2>(
        xcXform<2>(), std::array<double, 3>{0.004, 0, 0}, std::array<double, 3>{0, 0, 0}));
    EXPECT_FALSE(Params(turned(xcVector<2>(50, 50), 0, 1.0, 56, 56), 56, 56).willClip(curved));
    EXPECT_TRUE(Params(turned(xcVector<2>(50, 50), 0, 1.0, 60, 60), 60, 60).willClip(curved));
}

TEST(AffineTransformImage, RandomJobsMatchPlainReferencesInEveryMode) {
    // Windows down to 1 x 1, any angle and scale, rectangles inside, across and outside the
    // window: the interior/border split must never change a result.
    std::mt19937 gen(1234);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    long compared = 0, nearestMismatches = 0;
    for (int trial = 0; trial < 300; ++trial) {
        const long w = 1 + long(gen() % 12), h = 1 + long(gen() % 12);
        Image root = random(xcPelRect(-5, 7, w + 4, h + 3), unsigned(trial));
        Image src = root;
        src.window(xcPelRect(-3, 8, w, h));
        src.clientFromImageXform(
            xcXform<2>(xcMatrix<2>::rotation(xcRadian(unit(gen) * 6.3), 0.5 + 2.0 * unit(gen)),
                       xcVector<2>(unit(gen) * 50, unit(gen) * 50)));
        const short nx = short(1 + gen() % 15), ny = short(1 + gen() % 15);
        const xcVector<2> centre = src.clientFromImage().mapPoint(xcVector<2>(
            -3 + (unit(gen) * 1.6 - 0.3) * double(w), 8 + (unit(gen) * 1.6 - 0.3) * double(h)));
        const double scale = (0.2 + 3.0 * unit(gen)) / double(std::max(nx, ny));
        const xcAffineRectangle rect =
            turned(centre, unit(gen) * 360.0, scale * double(std::max(w, h)), nx, ny);
        for (Params::Interpolation mode : kModes) {
            const Params p(rect, nx, ny, mode);
            Image dst;
            xfAffineTransformImage(src, p, dst);
            for (long j = 0; j < ny; ++j)
                for (long i = 0; i < nx; ++i) {
                    const xcVector<2> at = samplePoint(p, src, i, j);
                    const double got = *dst.pointToPel(i, j);
                    ++compared;
                    switch (mode) {
                    case Params::eNearest:
                        // Points within 2^-24 pel of a pel edge may fall either way.
                        nearestMismatches += got != referenceNearest(src, at);
                        break;
                    case Params::eBilinear:
                        ASSERT_NEAR(got, referenceBilinear(src, at), 1.0) << trial;
                        break;
                    case Params::eBilinearHighPrecision:
                        ASSERT_NEAR(got, referenceBilinear(src, at), 0.5 + 1e-3) << trial;
                        break;
                    case Params::eBicubic:
                        ASSERT_NEAR(got, referenceBicubic(src, at), 0.5 + 1e-3) << trial;
                        break;
                    }
                }
        }
    }
    EXPECT_GT(compared, 20000);
    EXPECT_LE(nearestMismatches, 2);
}

TEST(AffineTransformImage, BoundOutputKeepsItsWindowAndIsCheckedFirst) {
    const Image src = random(xcPelRect(0, 0, 20, 20), 3);
    const Params p(turned(xcVector<2>(10, 10), 10, 1.0, 6, 4), 6, 4);
    Image fresh;
    xfAffineTransformImage(src, p, fresh);

    Image canvas(xcPelRect(0, 0, 12, 12));
    xfPelSet(canvas, 0);
    Image dst = canvas;
    dst.window(xcPelRect(5, 5, 6, 4));
    xfAffineTransformImage(src, p, dst);
    EXPECT_TRUE(xfPelEqual(dst, fresh));
    EXPECT_EQ(*canvas.pointToPel(4, 5), 0);
    // Content-following with the window's offset taken into account.
    EXPECT_TRUE(xfRealEq(dst.clientFromImage().mapPoint(xcVector<2>(2, 3)),
                         fresh.clientFromImage().mapPoint(xcVector<2>(-3, -2)), 1e-12));

    Image wrong(xcPelRect(0, 0, 6, 5));
    xfPelSet(wrong, 42);
    EXPECT_THROW(xfAffineTransformImage(src, p, wrong), xcPel::SizeMismatch);
    EXPECT_EQ(*wrong.pointToPel(0, 0), 42);

    Image empty = src;
    empty.window(xcPelRect(3, 3, 0, 5));
    Image out;
    EXPECT_THROW(xfAffineTransformImage(empty, p, out), xcPel::BadWindow);
    EXPECT_THROW(xfAffineTransformImage(Image(), p, out), xcPel::UnboundWindow);
    EXPECT_FALSE(out.isBound());

    // A target whose pels overlap the sampled source pels gets what a fresh buffer gets.
    Image overlap = src;
    overlap.window(xcPelRect(8, 8, 6, 4));
    xfAffineTransformImage(src, p, overlap);
    EXPECT_TRUE(xfPelEqual(overlap, fresh));
}

TEST(AffineTransformImage, NonLinearTransformsAreAppliedAtEverySample) {
    // A ramp seen through a quadratic imageFromClient: every output pel is the ramp at the exact
    // image point of its sample (the ramp is whole at pel centres, so the pels hold it exactly).
    const auto ramp = [](double x, double y) { return 2.0 * (x - 0.5) + (y - 0.5); };
    Image src(xcPelRect(0, 0, 90, 70));
    for (long y = 0; y < 70; ++y)
        for (long x = 0; x < 90; ++x) *src.pointToPel(x, y) = static_cast<unsigned char>(2 * x + y);
    const xcXformHandle poly = std::make_shared<xc2XformPoly2>(
        xcXform<2>(xcMatrix<2>(1.0, 0.1, 0.0, 1.0), xcVector<2>(2, 1)),
        std::array<double, 3>{0.003, 0.0, 0.001}, std::array<double, 3>{0.0, 0.002, 0.0});
    src.imageFromClientXform(poly);
    const Params p(turned(xcVector<2>(30, 25), -12, 1.0, 30, 20), 30, 20,
                   Params::eBilinearHighPrecision);
    ASSERT_FALSE(p.willClip(src));
    Image dst;
    xfAffineTransformImage(src, p, dst);
    for (long j = 0; j < 20; ++j)
        for (long i = 0; i < 30; ++i) {
            const xcVector<2> s = samplePoint(p, src, i, j);
            ASSERT_NEAR(*dst.pointToPel(i, j), ramp(s.x(), s.y()), 0.51) << i << " " << j;
        }
    // The output's client coordinates are the rectangle's, F * Scale(1/nx, 1/ny), even here.
    EXPECT_TRUE(dst.clientFromImageXform()->isLinear());
    EXPECT_TRUE(xfRealEq(dst.clientFromImage().mapPoint(xcVector<2>(30, 20)),
                         p.affineRectangle().cornerPopp(), 1e-9));
}

TEST(AffineTransformImage, FarAwayOrNonFiniteRectanglesReadOnlyBorderPels) {
    Image src = random(xcPelRect(0, 0, 9, 7), 4);
    const unsigned char corner = *src.pointToPel(8, 6);
    for (double at : {1e6, 1e13, 1e15})
        for (Params::Interpolation mode : kModes) {
            Image dst;
            xfAffineTransformImage(
                src, Params(turned(xcVector<2>(at, at), 33, 2.0, 5, 4), 5, 4, mode), dst);
            for (long j = 0; j < 4; ++j)
                for (long i = 0; i < 5; ++i) ASSERT_EQ(*dst.pointToPel(i, j), corner) << at;
        }
    // A transform that throws every sample far out: still a defined output.
    src.imageFromClientXform(xcXform<2>(xcMatrix<2>(1e150, 0, 0, 1e150), xcVector<2>()));
    Image dst;
    xfAffineTransformImage(src, Params(turned(xcVector<2>(1, 1), 0, 1.0, 3, 3), 3, 3), dst);
    EXPECT_EQ(dst.window(), xcPelRect(0, 0, 3, 3));
}
