#include "oc/imageutil/blankness.h"

#include "imgproc/correlation.h"
#include "test_images.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace imageutil_test;

namespace {

// A dark cross on a light ground: strokes, so the middle correlates with the shifted sample.
Image cross(const xcPelRect& win) {
    return makeImage(win, [](long x, long y) {
        return (x % 20 >= 8 && x % 20 < 11) || (y % 16 >= 6 && y % 16 < 9) ? 40 : 210;
    });
}

// The mean |score| of the middle of `s` (2 pels in) against `s` at the 25 shifts, computed here
// directly from the sums of each placement.
double meanAbsScore(const ConstImage& s) {
    ConstImage m = s;
    m.window(s.window().trim(2, 2, 2, 2, false));
    const xc_CorrelationModel<unsigned char> model(m);
    long long sx = 0, sx2 = 0;
    model.sums(sx, sx2);
    double total = 0;
    for (long d = 0; d < 25; ++d) {
        long long sy = 0, sy2 = 0, sxy = 0;
        for (long y = 0; y < m.height(); ++y)
            for (long x = 0; x < m.width(); ++x) {
                const long v = *s.pointToPel(x + d % 5, y + d / 5), w = *m.pointToPel(x, y);
                sy += v;
                sy2 += v * v;
                sxy += v * w;
            }
        total += std::abs(xf_corr_score(model.nCarePels(), sx, sx2, sy, sy2, sxy,
                                        xc_CorrelationDefs::eCorrelation));
    }
    return total / 25.0;
}

} // namespace

// A uniform sample scores 0, and so does a variance of 1.0 or less: one pel a grey level off.
TEST(ScoreBlankness, UniformSampleScoresZero) {
    for (int off : {128, 129}) {
        const Image img = makeImage(xcPelRect(0, 0, 40, 30),
                                    [&](long x, long y) { return x == 12 && y == 10 ? off : 128; });
        EXPECT_EQ(xfScoreBlankness(img, ConstImage(), xcXform<2>(), ConstImage(),
                                   xcPelRect(5, 5, 20, 15), ConstImage()),
                  0.0);
    }
}

// Both masks unbound and a rect inside the image: the sample is the image part itself, and the
// score is the mean of the 25 absolute scores.
TEST(ScoreBlankness, StrokesScoreTheMeanAbsoluteCorrelation) {
    const Image img = cross(xcPelRect(0, 0, 60, 50));
    const xcPelRect rect(7, 4, 24, 21);
    ConstImage part = img;
    part.window(rect);
    const double want = meanAbsScore(part);
    EXPECT_GT(want, 100.0);
    EXPECT_DOUBLE_EQ(
        xfScoreBlankness(img, ConstImage(), xcXform<2>(), ConstImage(), rect, ConstImage()), want);

    // xform moves the character's client coordinates into the image's: the same part, found
    // from a rect 7 pels left and 4 up.
    const xcXform<2> shift = xcXform<2>::translation(xcVector<2>(7, 4));
    EXPECT_DOUBLE_EQ(xfScoreBlankness(img, ConstImage(), shift, ConstImage(),
                                      xcPelRect(0, 0, 24, 21), ConstImage()),
                     want);
}

// No cared pel or no middle scores 1: a model mask caring only for a frame 2 pels wide, rects
// too narrow or too low, a rect outside the image, an image mask ignoring everything. Where the
// rect leaves the image the padding is not cared for, and a model mask of 255 changes nothing.
TEST(ScoreBlankness, MasksAndEmptyMiddles) {
    const Image img = cross(xcPelRect(0, 0, 60, 50));
    const xcPelRect rect(7, 4, 24, 21);
    const Image frame = makeImage(xcPelRect(0, 0, 60, 50), [&](long x, long y) {
        const bool inner =
            x >= rect.x() + 2 && x < rect.right() - 2 && y >= rect.y() + 2 && y < rect.bottom() - 2;
        return inner ? 0 : 255;
    });
    const Image none = makeImage(img.window(), [](long, long) { return 0; });
    auto score = [&](const ConstImage& imageMask, const xcPelRect& r, const ConstImage& modelMask) {
        return xfScoreBlankness(img, imageMask, xcXform<2>(), ConstImage(), r, modelMask);
    };
    EXPECT_EQ(score(ConstImage(), rect, frame), 1.0);
    EXPECT_EQ(score(ConstImage(), xcPelRect(7, 4, 4, 21), ConstImage()), 1.0);
    EXPECT_EQ(score(ConstImage(), xcPelRect(7, 4, 24, 4), ConstImage()), 1.0);
    EXPECT_EQ(score(ConstImage(), xcPelRect(500, 500, 24, 21), ConstImage()), 1.0);
    EXPECT_EQ(score(none, rect, ConstImage()), 1.0);
    const double clipped = score(ConstImage(), xcPelRect(-10, 4, 40, 21), ConstImage());
    EXPECT_GT(clipped, 0.0);
    EXPECT_LT(clipped, 1000.0);
    const Image all = makeImage(xcPelRect(-20, -20, 100, 100), [](long, long) { return 255; });
    EXPECT_DOUBLE_EQ(score(ConstImage(), rect, all), score(ConstImage(), rect, ConstImage()));
}

TEST(ScoreBlankness, CallerErrors) {
    const Image img = cross(xcPelRect(0, 0, 60, 50));
    const Image small = makeImage(xcPelRect(0, 0, 10, 10), [](long, long) { return 255; });
    const xcPelRect rect(5, 5, 20, 20);
    expectBadParams(
        [&] { xfScoreBlankness(img, ConstImage(), xcXform<2>(), ConstImage(), rect, small); },
        "The model mask must contain the rectangle.");
    EXPECT_THROW(xfScoreBlankness(img, ConstImage(), xcXform<2>(), ConstImage(),
                                  xcPelRect(0, 0, 40000, 20), ConstImage()),
                 xcOCDefs::BadParams);
}

// Vertical stripes two pels dark and two light: against the middle, the shifts by -2 .. 2 pels
// across correlate -1, 0, 1, 0, -1 (whole periods under the 20-pel-wide middle), whatever the
// shift down. The mean of the absolute scores is (1000 + 1000 + 1000) / 5 = 600; signed, the
// sum would come to -200.
TEST(ScoreBlankness, StripesScoreTheMeanOfAbsoluteNotSignedCorrelations) {
    const Image img =
        makeImage(xcPelRect(0, 0, 40, 30), [](long x, long) { return x % 4 < 2 ? 40 : 210; });
    EXPECT_EQ(xfScoreBlankness(img, ConstImage(), xcXform<2>(), ConstImage(),
                               xcPelRect(4, 3, 24, 21), ConstImage()),
              600.0);
}
