// The sub-model tool: poses of rendered glyphs, masks, partial matches, every score against a
// direct sum, the rectangle enclosing a perturbed placement, and the refusals.
#include "submodel/enclose_rect.h"
#include "submodel/submodel_defs.h"
#include "submodel/submodel_tool.h"

#include "core/geom/geom_errors.h"

#include "core/sys/attention.h"
#include "core/sys/timeout.h"
#include "support/caught.h"
#include "support/glyph_render.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <random>
#include <tuple>

namespace {

using oc_test::GlyphImage;
using oc_test::kSansFont;
using Buffer = xcPelBuffer<unsigned char>;
using Results = xc_SubModelResultSet;

// A paper-coloured image with the given window; identity transforms.
Buffer paper(const xcPelRect& window, unsigned char value = 200) {
    Buffer b(window);
    for (long j = 0; j < b.height(); ++j) std::fill_n(b.rowPointer(j), b.width(), value);
    return b;
}

// Copies src's window into dst with src's window pel (0, 0) on dst's window pel (dx, dy);
// pels falling outside dst are dropped.
void paste(const xcPelBuffer_const<unsigned char>& src, Buffer& dst, long dx, long dy) {
    for (long j = 0; j < src.height(); ++j)
        for (long i = 0; i < src.width(); ++i) {
            const long x = i + dx, y = j + dy;
            if (x >= 0 && y >= 0 && x < dst.width() && y < dst.height())
                *dst.pointToPel(x, y) = *src.pointToPel(i, j);
        }
}

Buffer noise(const xcPelRect& window, oc_test::Rng& rng, int lo, int hi) {
    Buffer b(window);
    for (long j = 0; j < b.height(); ++j)
        for (long i = 0; i < b.width(); ++i)
            *b.pointToPel(i, j) = static_cast<unsigned char>(rng.uniform(lo, hi));
    return b;
}

xcSubModelCorRunParams searchParams(double accept, double uncertainty,
                                    const xcPelRect& partialMatch = xcPelRect()) {
    xcSubModelCorRunParams p;
    p.acceptThreshold(accept);
    p.partialMatch(partialMatch);
    p.xyUncertainty(xcVector<2>(uncertainty, uncertainty));
    return p;
}

xc_SubModelTool trained(const xcSubModel& model) {
    xc_SubModelTool tool;
    tool.train(model, {}, nullptr, 0);
    return tool;
}

// A run of the tool on the image from the start pose, with the mask if one is given, into `into`
// if given.
Results run(const xc_SubModelTool& tool, const xcPelBuffer_const<unsigned char>& image,
            const xcSubModelCorRunParams& params, const xcXform<2>& start = xcXform<2>(),
            const Buffer* mask = nullptr, Results* into = nullptr) {
    std::vector<xcVector<2>> points;
    Results rs;
    Results& out = into ? *into : rs;
    if (mask)
        tool.run(image, *mask, xc2XformLinear(start), params, points, out, nullptr, 0);
    else
        tool.run(image, xc2XformLinear(start), params, points, out, nullptr, 0);
    return out;
}

xcXform<2> bestPose(const Results& rs) {
    return rs.results().at(0).pose()->linearXform(xcVector<2>(0.0, 0.0));
}

// Whether the best result lies at (x, y) within tol with a perfect score.
bool perfectAt(const Results& rs, double x, double y, double tol) {
    return rs.numFound() > 0 && std::abs(bestPose(rs).trans().x() - x) < tol &&
           std::abs(bestPose(rs).trans().y() - y) < tol && rs.results()[0].score() > 1.0 - 1e-9;
}

// A glyph copied whole into a run image with its own image offset and client transform: the
// pose is the model's client frame placed in the run image's client frame.
TEST(SubModelFind, GlyphInShiftedCopyGivesPoseInClientCoordinates) {
    const xcMatrix<2> half(0.5, 0.0, 0.0, 0.5);
    Buffer modelImage = GlyphImage(kSansFont, U'B', 24.0).trainImage();
    modelImage.clientFromImageXform(xcXform<2>(half, xcVector<2>(100.0, 50.0)));
    Buffer image = paper(xcPelRect(30, 40, 80, 70));
    paste(modelImage, image, 17, 11);
    image.clientFromImageXform(xcXform<2>(half, xcVector<2>(3.0, -4.0)));
    const Results rs = run(trained(xcSubModel(modelImage, "B")), image, searchParams(0, 400));
    // Model pel p lands on run pel p + (47, 51): client c -> c - (100, 50) + (23.5, 25.5)
    // + (3, -4). The search moves by whole pels, and the parabola of an exact copy peaks on it
    // to within a few hundredths of a pel.
    EXPECT_TRUE(perfectAt(rs, -73.5, -28.5, 0.02));
    EXPECT_TRUE(bestPose(rs).matrix() == xcMatrix<2>());
}

// The start pose centres the search; the found pose keeps its matrix bit for bit, also when
// that matrix is not the identity, and the threshold splits found results from the rest.
TEST(SubModelFind, StartPoseCentresSearchAndKeepsItsMatrix) {
    const Buffer model = GlyphImage(kSansFont, U'k', 22.0).trainImage();
    Buffer image = paper(xcPelRect(0, 0, 120, 50));
    paste(model, image, 5, 8);
    paste(model, image, 70, 10);
    const xc_SubModelTool tool = trained(xcSubModel(model, "k"));
    const xcMatrix<2> nearIdentity(1.0 + 1e-7, 3e-9, -2e-9, 1.0 - 1e-7);
    const Results near =
        run(tool, image, searchParams(0.9, 8.0), xcXform<2>(nearIdentity, {68.0, 12.0}));
    ASSERT_EQ(near.numFound(), 1);
    EXPECT_TRUE(bestPose(near).matrix() == nearIdentity);
    EXPECT_TRUE(perfectAt(near, 70.0, 10.0, 0.05));
    // No uncertainty: the whole-pel placement nearest to the start is scored.
    EXPECT_TRUE(
        perfectAt(run(tool, image, searchParams(0.9, 0.0), xcXform<2>::translation({70.4, 9.7})),
                  70.0, 10.0, 0.05));

    // Searching everything finds both copies first; nothing else reaches 0.9.
    const Results both = run(tool, image, searchParams(0.9, 300.0));
    EXPECT_EQ(both.numFound(), 2);
    EXPECT_EQ(both.results().size(), 2u);

    // A threshold nobody reaches: nothing found, the best placement still shown.
    paste(paper(xcPelRect(0, 0, 3, 3), 90), image, 6, 9);
    paste(paper(xcPelRect(0, 0, 3, 3), 90), image, 71, 11);
    const Results none = run(tool, image, searchParams(1.0, 300.0));
    EXPECT_EQ(none.numFound(), 0);
    ASSERT_EQ(none.results().size(), 1u);
    EXPECT_LT(none.results()[0].score(), 1.0);
    EXPECT_GT(none.results()[0].score(), 0.8);
}

// A start pose that turns and scales the model: the model is laid onto the image's pel grid at
// the start placement and shifted from there; near the grid it is moved as it is. Either way the
// pose keeps the start pose's matrix and finds the glyph's true, sub-pel position.
TEST(SubModelFind, TurnedAndScaledStartPoseIsSearchedOnTheImageGrid) {
    const GlyphImage g(kSansFont, U'G', 24.0);
    const xc_SubModelTool tool = trained(xcSubModel(g.trainImage(), "G"));
    for (const auto& [angleDeg, scale] : {std::pair{12.0, 1.25}, std::pair{-0.5, 1.01}}) {
        oc_test::Scene scene(70, 70);
        const xcXform<2> truth = oc_test::placementPose(g, angleDeg, scale, {34.6, 36.2});
        scene.place(g, truth);
        const xcXform<2> start(truth.matrix(), truth.trans() + xcVector<2>(-2.6, 1.7));
        const Results rs = run(tool, scene.finish(0.0, 0.0, 1), searchParams(0.5, 10.0), start);
        ASSERT_GE(rs.numFound(), 1) << angleDeg;
        EXPECT_GT(rs.results()[0].score(), 0.9);
        const xcXform<2> pose = bestPose(rs);
        EXPECT_TRUE(pose.matrix() == truth.matrix());
        EXPECT_LT(pose.trans().distance(truth.trans()), 0.15);
    }
}

// An "H" pasted into a 70 x 60 image so that `over` of its columns or rows fall off one edge:
// the partial-match rectangle bounds the overhang per side, and however far it lets the model
// go, a placement is scored only when at least half of its cared-for pels lie on the image.
TEST(SubModelPartial, RectangleBoundsTheOverhangPerSide) {
    enum Edge { kLeft, kRight, kBottom };
    const Buffer model = GlyphImage(kSansFont, U'H', 24.0).trainImage();
    const xc_SubModelTool tool = trained(xcSubModel(model, "H"));
    const long w = model.width(), h = model.height();
    auto found = [&](const xcSubModelCorRunParams& params, long over, Edge edge = kLeft) {
        Buffer image = paper(xcPelRect(0, 0, 70, 60));
        const long x = edge == kLeft ? -over : edge == kRight ? 70 - w + over : 20;
        const long y = edge == kBottom ? 60 - h + over : 12;
        paste(model, image, x, y);
        return perfectAt(run(tool, image, params), x, y, 0.05);
    };
    // As alphabet compilation sets it: the centre of the model kept inside the image.
    const long half = (w + w % 2) / 2, halfH = (h + h % 2) / 2;
    xcSubModelCorRunParams params =
        searchParams(0, 200, xcPelRect(-half, -halfH, 2 * half, 2 * halfH));
    for (long over : {1L, w / 3, w / 2}) EXPECT_TRUE(found(params, over)) << over;
    for (long over : {half + 1, 2 * w / 3}) EXPECT_FALSE(found(params, over)) << over;
    EXPECT_TRUE(found(params, h / 3, kBottom));
    EXPECT_FALSE(found(params, 2 * h / 3, kBottom));

    params.partialMatch(xcPelRect());
    EXPECT_TRUE(found(params, 0));
    EXPECT_FALSE(found(params, 1));
    params.partialMatch(xcPelRect(-5, 0, 5, 0)); // 5 pels past the left edge only
    EXPECT_TRUE(found(params, 5));
    EXPECT_FALSE(found(params, 6));
    EXPECT_FALSE(found(params, 1, kRight));
    EXPECT_FALSE(found(params, 3, kBottom));
    params.partialMatch(xcPelRect(0, 0, 4, 3)); // 4 past the right edge, 3 past the bottom
    EXPECT_TRUE(found(params, 4, kRight));
    EXPECT_FALSE(found(params, 5, kRight));
    EXPECT_TRUE(found(params, 3, kBottom));
    EXPECT_FALSE(found(params, 4, kBottom));

    params = searchParams(0, 400, xcPelRect(-4 * w, -100, 8 * w, 200));
    EXPECT_TRUE(found(params, w / 2));
    EXPECT_FALSE(found(params, w / 2 + 1));
    EXPECT_TRUE(run(tool, paper(xcPelRect(0, 0, 3, 3)), params).results().empty());
}

// The score of one placement computed directly: the correlation over the pels both masks care
// for (from 128 up) inside the image, clamped at 0; -1 when fewer than half of the model's
// cared-for pels take part. A null mask cares for every pel.
double directScore(const Buffer& model, const Buffer* modelMask, const Buffer& image,
                   const Buffer* imageMask, long u, long v) {
    double n = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0, cared = 0;
    for (long j = 0; j < model.height(); ++j)
        for (long i = 0; i < model.width(); ++i) {
            if (modelMask && *modelMask->pointToPel(i, j) < 128) continue;
            ++cared;
            const long x = u + i, y = v + j;
            if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) continue;
            if (imageMask && *imageMask->pointToPel(x, y) < 128) continue;
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

// Every single placement, inside the image or hanging over any border, with and without masks
// (127 and 128 among their values; each pairs with its image by position within the windows),
// scores what the direct sum gives.
TEST(SubModelScore, EachPlacementMatchesTheDirectSum) {
    oc_test::Rng rng(7);
    const Buffer model = noise(xcPelRect(5, 9, 13, 11), rng, 0, 256);
    Buffer modelMask = noise(xcPelRect(0, 0, 13, 11), rng, 60, 256);
    const Buffer image = noise(xcPelRect(-4, 2, 21, 17), rng, 0, 256);
    Buffer imageMask = noise(xcPelRect(40, 40, 21, 17), rng, 80, 256);
    for (Buffer* mask : {&modelMask, &imageMask}) {
        *mask->pointToPel(3, 4) = 127;
        *mask->pointToPel(4, 4) = 128;
    }

    const xcSubModelCorRunParams params = searchParams(0, 0, xcPelRect(-13, -11, 34, 28));
    int scored = 0, unscored = 0;
    for (int variant = 0; variant < 4; ++variant) {
        const bool useModelMask = variant & 1, useImageMask = variant & 2;
        const xc_SubModelTool tool =
            trained(useModelMask ? xcSubModel(model, modelMask, "") : xcSubModel(model, ""));
        for (long v = -8; v <= 14; v += 2)
            for (long u = -9; u <= 18; u += 3) {
                // The start pose puts model pel (5, 9) on image pel (-4 + u, 2 + v).
                const xcXform<2> start = xcXform<2>::translation(xcVector<2>(u - 9.0, v - 7.0));
                const Results rs =
                    run(tool, image, params, start, useImageMask ? &imageMask : nullptr);
                const double expected =
                    directScore(model, useModelMask ? &modelMask : nullptr, image,
                                useImageMask ? &imageMask : nullptr, u, v);
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
// end of a band and one in the last are found exactly, and long models score exactly.
TEST(SubModelScore, LargeSearchesAndLongModelsStayExact) {
    oc_test::Rng rng(11);
    const Buffer patch = noise(xcPelRect(0, 0, 10, 12), rng, 0, 256);
    Buffer image = noise(xcPelRect(0, 0, 1100, 1000), rng, 100, 140);
    paste(patch, image, 500, 225);
    paste(patch, image, 37, 985);
    const Results rs = run(trained(xcSubModel(patch, "")), image, searchParams(0.99, 3000.0));
    ASSERT_EQ(rs.numFound(), 2);
    for (const xcSubModelResult& r : rs.results()) {
        EXPECT_NEAR(r.score(), 1.0, 1e-12);
        const xcVector<2> t = r.pose()->xform().trans();
        EXPECT_LT(std::min(t.distance({500, 225}), t.distance({37, 985})), 0.1)
            << t.x() << " " << t.y();
    }
    // Bright pels in long model rows give the largest partial sums the search keeps; they must
    // stay exact whatever the model's width.
    for (long w : {200L, 300L, 700L}) {
        const Buffer model = noise(xcPelRect(0, 0, w, 3), rng, 200, 256);
        const Buffer image = noise(xcPelRect(0, 0, w + 6, 5), rng, 200, 256);
        const Results rs = run(trained(xcSubModel(model, "")), image, xcSubModelCorRunParams(),
                               xcXform<2>::translation({3.0, 1.0}));
        ASSERT_EQ(rs.results().size(), 1u);
        EXPECT_NEAR(rs.results()[0].score(), directScore(model, nullptr, image, nullptr, 3, 1),
                    1e-12)
            << w;
    }
}

xcPolygon square(double x0, double y0, double x1, double y1) {
    return xcPolygon({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, 0);
}

xcRect enclose(const xcPolygon& p, const xcXform<2>& pose, const xcXform<2>& c, double tx,
               double ty, double rRad, double s) {
    return xfEncloseRect(p, pose, c, tx, ty, xcRadian(rRad), s, 0.0, 0.0, 0.0, 1);
}

// A general affine map (not a similarity when the two scales or angles differ).
xcXform<2> affine(double xRotDeg, double yRotDeg, double xs, double ys, double tx, double ty) {
    return xcXform<2>(xcMatrix<2>(xcRadian(xcDegree(xRotDeg)), xcRadian(xcDegree(yRotDeg)), xs, ys),
                      xcVector<2>(tx, ty));
}

TEST(EncloseRect, HandComputedCases) {
    // Without uncertainty, exactly the bounding box of the vertices placed by pose, then mapped
    // by c^-1.
    const xcPolygon poly({{0, 0}, {7, 1}, {5, 9}, {-2, 4}}, 0);
    const xcXform<2> pose = affine(-70, -50, 0.7, 2.0, 3, 8), c = affine(15, 40, 1.2, 0.8, -7, 2);
    EXPECT_EQ(enclose(poly, pose, c, 0, 0, 0, 0), poly.map(pose).map(c.inverse()).boundingBox());
    // A square about the origin turned by up to 45 degrees: the corners at distance sqrt(2)
    // reach the axes.
    const double r2 = std::sqrt(2.0);
    const xcRect turned = enclose(square(-1, -1, 1, 1), {}, {}, 0, 0, std::numbers::pi / 4, 0);
    EXPECT_TRUE(xfRealEq(turned.ul(), {-r2, -r2}, 1e-12) && xfRealEq(turned.lr(), {r2, r2}, 1e-12));
    // Scale acts about the polygon frame's origin: sigma in [0, 3] for s = 2.
    EXPECT_EQ(enclose(square(1, 1, 2, 2), {}, {}, 0, 0, 0, 2.0), xcRect(0, 0, 6, 6));
}

// The bounding box of c^-1(T(d) * pose * S(sigma) * R(rho) v) over sampled perturbations, as
// its lower and upper edges (x0, y0, x1, y1).
std::array<double, 4> sampled(const xcPolygon& poly, const xcXform<2>& pose, const xcXform<2>& c,
                              double tx, double ty, double r, double s, int steps) {
    const xcXform<2> cInv = c.inverse();
    const double inf = std::numeric_limits<double>::infinity();
    std::array<double, 4> box{inf, inf, -inf, -inf};
    for (int k = 0; k <= steps; ++k) {
        const double rho = -r + 2.0 * r * k / steps;
        for (double sigma : {std::max(0.0, 1.0 - s), 1.0, 1.0 + s})
            for (const xcVector<2>& d : {xcVector<2>(-tx, -ty), xcVector<2>(-tx, ty),
                                         xcVector<2>(tx, -ty), xcVector<2>(tx, ty)})
                for (const xcVector<2>& v : poly.vertices()) {
                    const xcVector<2> turned = xcMatrix<2>::rotation(xcRadian(rho), sigma) * v;
                    const xcVector<2> p = cInv.mapPoint(pose.mapPoint(turned) + d);
                    box = {std::min(box[0], p.x()), std::min(box[1], p.y()),
                           std::max(box[2], p.x()), std::max(box[3], p.y())};
                }
    }
    return box;
}

// Random polygons, poses and client maps (similarities and general affine maps), with turns up
// to beyond half a turn and scales beyond 1 +- 1.
TEST(EncloseRect, ContainsEveryPerturbedPlacementAndNoMore) {
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<double> coord(-20, 20), angle(-180, 180), scale(0.3, 3),
        unc(0, 5), rot(0, 3.5), sc(0, 2.0);
    for (int trial = 0; trial < 60; ++trial) {
        std::vector<xcVector<2>> verts;
        for (int i = 0; i < 1 + trial % 5; ++i) verts.emplace_back(coord(rng), coord(rng));
        const xcPolygon poly(verts, 0);
        const bool general = trial % 2 == 1;
        const double pa = angle(rng), ca = angle(rng), ps = scale(rng), cs = scale(rng);
        const xcXform<2> pose = affine(pa, general ? angle(rng) : pa, ps, general ? scale(rng) : ps,
                                       coord(rng), coord(rng));
        const xcXform<2> c = affine(ca, general ? angle(rng) : ca, cs, general ? scale(rng) : cs,
                                    coord(rng), coord(rng));
        const double tx = unc(rng), ty = unc(rng), r = trial % 7 == 0 ? 0.0 : rot(rng),
                     s = trial % 5 == 0 ? 0.0 : sc(rng);
        const xcRect got = enclose(poly, pose, c, tx, ty, r, s);
        const int steps = 4000;
        const std::array<double, 4> b = sampled(poly, pose, c, tx, ty, r, s, steps);
        // Every sampled placement lies inside; the box is no larger than the sampling error
        // allows: a point at distance d from the turning origin moves by at most
        // d * (1 - cos(step / 2)) ~ d * step^2 / 8 between samples, and d is below 2 * span.
        const double span =
            std::max({std::fabs(b[0]), std::fabs(b[1]), std::fabs(b[2]), std::fabs(b[3]), 1.0});
        const double step = 2 * r / steps;
        const double tol = 1e-9 * span + span * step * step / 4;
        const double edges[] = {got.x(), got.y(), got.x() + got.width(), got.y() + got.height()};
        for (int k = 0; k < 4; ++k) {
            const double outside = k < 2 ? b[k] - edges[k] : edges[k] - b[k];
            EXPECT_GE(outside, -1e-9 * span) << trial << " edge " << k;
            EXPECT_LE(outside, tol) << trial << " edge " << k;
        }
    }
}

TEST(EncloseRect, IgnoresTheTrailingTermsAndRefusesBadInput) {
    const xcPolygon poly = square(0, 0, 3, 2);
    const xcXform<2> pose = affine(20, 20, 1, 1, 5, 5);
    const xcRect ref = enclose(poly, pose, xcXform<2>(), 1, 2, 0.3, 0.1);
    EXPECT_EQ(xfEncloseRect(poly, pose, xcXform<2>(), 1, 2, xcRadian(0.3), 0.1, 7.0, -3.0, 1e9, 42),
              ref);
    const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
    for (const auto& [tx, ty, r, s] :
         {std::array{-1.0, 0.0, 0.0, 0.0}, std::array{0.0, nan, 0.0, 0.0},
          std::array{0.0, 0.0, -0.1, 0.0}, std::array{0.0, 0.0, 0.0, nan},
          std::array{inf, 0.0, 0.0, 0.0}})
        EXPECT_THROW(enclose(poly, pose, xcXform<2>(), tx, ty, r, s), xcGeomDefs::BadParams);
    EXPECT_THROW(enclose(xcPolygon(), pose, xcXform<2>(), 0, 0, 0, 0), xcGeomDefs::BadParams);
    EXPECT_THROW(enclose(poly, pose, affine(0, 0, 0, 1, 0, 0), 0, 0, 0, 0), xcGeomDefs::Singular);
}

// Unusable parameters, models, images and start poses are refused with the tool's error of this
// number and message; a refused setting keeps the parameters, a failed training the tool's model,
// and every failed or stopped run leaves the result set as the last good run left it.
TEST(SubModelErrors, RefusalsChangeNothing) {
    Buffer image = paper(xcPelRect(0, 0, 30, 20));
    paste(paper(xcPelRect(0, 0, 8, 12), 30), image, 11, 4);
    xc_SubModelTool tool = trained(xcSubModel(image, "bar"));
    const xcSubModelCorRunParams params;
    Results rs = run(tool, image, params);
    ASSERT_TRUE(perfectAt(rs, 0, 0, 0.5));
    // Settings at the edges of their ranges.
    xcSubModelCorRunParams p = searchParams(0, 0, xcPelRect(-(1L << 30), 0, 1L << 30, 0));
    p.xyUncertainty(xcVector<2>(0.0, 1e9));
    xcPelBuffer_const<unsigned char> empty = image;
    empty.window(xcPelRect(3, 3, 0, 5));
    const double nan = std::nan("");
    const Buffer unbound, mismatched = paper(xcPelRect(0, 0, 29, 20));
    Buffer infinite = image, notANumber = image;
    infinite.clientFromImageXform(xcXform<2>::translation({INFINITY, 0.0}));
    notANumber.clientFromImageXform(xcXform<2>::translation({0.0, nan}));
    auto attempt = [&](const Buffer& img, const xcXform<2>& start = {},
                       const Buffer* mask = nullptr) { run(tool, img, params, start, mask, &rs); };
    auto scaled = [](double xs) {
        return xcXform<2>(xcVector<2>(), xs, 1.0, xcRadian(0.0), xcRadian(0.0));
    };
    const std::string partial = "partialMatch must hold the origin and lie within +-2^30 pels",
                      extent = "xyUncertainty must be two finite numbers >= 0",
                      noCare = "The sub-model has no cared-for pel.",
                      untrained = "The sub-model tool is not trained.",
                      unboundImage = "The image is unbound.",
                      sizes = "The mask and the image differ in size.",
                      pose = "The start pose does not place the sub-model on the image's pel grid.";
    expectRefusals<xc_SubModelDefs::Errors>({
        {[&] { p.partialMatch(xcPelRect(-3, 0, 2, 2)); }, 0x802, partial},
        {[&] { p.partialMatch(xcPelRect(0, 0, -1, 0)); }, 0x802, partial},
        {[&] { p.partialMatch(xcPelRect(-(1L << 30) - 1, 0, 1L << 31, 0)); }, 0x802, partial},
        {[&] { p.xyUncertainty(xcVector<2>(-1.0, 0.0)); }, 0x802, extent},
        {[] { xcSubModelResult(0.5, nullptr); }, 0x802, "a result needs a pose"},
        {[] { xcSubModel(Buffer(), "x"); }, 0x805, unboundImage},
        {[&] { xcSubModel(image, paper(xcPelRect(0, 0, 30, 21)), "x"); }, 0x806, sizes},
        {[&] { tool.train(xcSubModel(image, paper(image.window(), 127), ""), {}, nullptr, 0); },
         0x804, noCare},
        {[&] { tool.train(xcSubModel(empty, ""), {}, nullptr, 0); }, 0x804, noCare},
        {[] { xc_SubModelTool().subModel(); }, 0x803, untrained},
        {[&] { run(xc_SubModelTool(), image, params, {}, nullptr, &rs); }, 0x803, untrained},
        {[&] { attempt(unbound); }, 0x805, unboundImage},
        {[&] { attempt(image, {}, &unbound); }, 0x805, unboundImage},
        {[&] { attempt(image, {}, &mismatched); }, 0x806, sizes},
        // Start poses that place the model nowhere sensible.
        {[&] { attempt(image, scaled(1000.0)); }, 0x807, pose},
        {[&] { attempt(image, scaled(0.01)); }, 0x807, pose},
        {[&] { attempt(image, xcXform<2>(xcMatrix<2>(0.0, 0.0, 0.0, 0.0), {})); }, 0x807, pose},
        {[&] {
             attempt(image, xcXform<2>::translation({nan, 0.0}));
         },
         0x807, pose},
        {[&] {
             attempt(image, xcXform<2>::translation({1e300, 0.0}));
         },
         0x807, pose},
        // Client transforms that are not finite, on the image searched or on the model's.
        {[&] { attempt(infinite); }, 0x807, pose},
        {[&] { run(trained(xcSubModel(infinite, "m")), image, params); }, 0x807, pose},
        {[&] { run(trained(xcSubModel(notANumber, "m")), image, params); }, 0x807, pose},
    });
    EXPECT_EQ(tool.subModel().name(), "bar");
    // A time limit that has passed stops the run.
    xcAttentionTag tag(true);
    tag.attachTimeout(0.0);
    EXPECT_THROW(attempt(image), xcTimeout::Expired);
    tag.disarm();
    EXPECT_TRUE(perfectAt(rs, 0, 0, 0.5));
}

} // namespace
