// Refinement of arranged characters: the enlarged region, the searcher's grid of turned and
// scaled models, and what becomes of matched, inferred and unknown characters.
#include "core/image/pel_ops.h"
#include "oc/extract/detail/neighbourhood.h"
#include "oc/extract/detail/searcher_cache.h"
#include "oc/extract/extract_defs.h"
#include "oc/extract/refine.h"
#include "oc/extract/rsi_corr_search_model.h"
#include "oc/oc/fixtures.h"
#include "support/glyph_alphabet.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace oc_test;
using Status = xcOCArrangeDefs::CharStatus;

namespace {

// The pose of a transform moved by (dx, dy), turned by dDeg about its glyph centre and scaled.
xc_Pose perturbed(const xcXform<2>& truth, const xcVector<2>& centre, double dx, double dy,
                  double dDeg, double scale) {
    const xcXform<2> about =
        xcXform<2>::translation(centre) *
        xcXform<2>(xcMatrix<2>::rotation(xcRadian(xcDegree(dDeg)), scale), {}) *
        xcXform<2>::translation(-centre);
    return xc_Pose(xcXform<2>::translation({dx, dy}) * truth * about);
}

TEST(OCRefine, EnlargedRegionAndTolerantRounding) {
    // A value a rounding error from a whole number counts as that number.
    for (double v : {2.9999999999999996, 3.0000000000000004, -2.9999999999999996})
        EXPECT_EQ(xf_OCTolerantFloor(v), xf_OCTolerantCeil(v)) << v;
    EXPECT_EQ(xf_OCTolerantFloor(2.5), 2);
    EXPECT_EQ(xf_OCTolerantCeil(-2.5), -2);
    // A 30 x 30 square: half-diagonal 15.75 x sqrt 2 = 22.27 at 45 degrees, turned by +-5
    // degrees reaches 22.27 cos 40 = 17.06 from the centre (15, 15).
    EXPECT_EQ(xf_OCEnlargedRegion(xcPelRect(0, 0, 30, 30), 3.0, 0.05), xcPelRect(-3, -3, 36, 36));
    // A wide box at (10, 20): h = (21, 5.25), r = 21.646, theta = 14.04 deg; the arc from 9.04
    // to 19.04 deg gives x = 21.646 cos 9.04 = 21.377 and y = 21.646 sin 19.04 = 7.061.
    EXPECT_EQ(xf_OCEnlargedRegion(xcPelRect(10, 20, 40, 10), 3.0, 0.05), xcPelRect(8, 17, 44, 16));
    // Past an axis the arc's extreme is the radius itself: 0.5 x 10 x 1 = 5 at 90 +- 14 deg.
    EXPECT_EQ(xf_OCEnlargedRegion(xcPelRect(0, 0, 0, 10), 12.0, 0.0), xcPelRect(-2, 0, 4, 10));
}

TEST(OCRefine, SearcherTrainsTheTurnedAndScaledGrid) {
    const GlyphAlphabet g(U"R");
    const xcOCModel& m = *g.alphabet()->character('R');
    xcRSIParams p;
    p.angleRange = xcRange(-3, 3);
    p.angleStep = 0.5;
    p.scaleRange = xcRange(0.95, 1.065);
    p.scaleStep = 0.03;
    // 13 angles times 4 scales, the angle stepping fastest. The thread keeps trained
    // searchers: equal pels, windows, parameters and name share one.
    const auto kept = xf_OCRefineSearcher(m.image(), m.mask(), p, "R");
    ASSERT_EQ(kept->numModels(), 52);
    EXPECT_NEAR(xcDegree(kept->transforms()[1].xRot()).toDouble(), -2.5, 1e-12);
    EXPECT_NEAR(kept->transforms()[51].xScale(), 0.95 * std::pow(1.03, 3), 1e-12);
    EXPECT_NEAR(xcDegree(kept->transforms()[51].xRot()).toDouble(), 3.0, 1e-12);
    EXPECT_EQ(xf_OCRefineSearcher(m.image(), m.mask(), p, "R"), kept);
    xcPelBuffer<unsigned char> changed;
    xfPelCopy(m.image(), changed);
    EXPECT_EQ(xf_OCRefineSearcher(changed, m.mask(), p, "R"), kept);
    *changed.pointToPel(3, 3) ^= 1;
    EXPECT_NE(xf_OCRefineSearcher(changed, m.mask(), p, "R"), kept);
    xcRSIParams other = p;
    other.angleStep = 1.0;
    EXPECT_NE(xf_OCRefineSearcher(m.image(), m.mask(), other, "R"), kept);

    // Grids that would never end or never fit are refused before anything is trained.
    std::vector<xcRSIParams> bad(4, p);
    bad[0].angleStep = 0.0;
    bad[1].scaleStep = std::nan("");
    bad[2].scaleRange = xcRange(0.0, 1.0);
    bad[3].angleStep = 1e-6;
    for (const xcRSIParams& q : bad)
        expectThrow<xc_OCExtractDefs::xc_OCExtractError>(
            [&] { xcRSICorrSearchModel(m.image(), m.mask(), q, "R", nullptr, 0); },
            "Bad refinement parameters", 0x10007402);
}

TEST(OCRefine, InferredPrintedCharactersBecomeMatchesOthersStay) {
    const GlyphAlphabet g(U"HEL9");
    xcOCAlphabet::Models models = g.alphabet()->characters();
    models.push_back(blank(' ', " "));
    const AlphabetHandle a(new xcOCAlphabet(models, 0.5, false, ""));
    Scene scene(300, 300);
    const std::vector<long> printed = {'H', 'E', 'L', 'L', 'E', 'H'};
    const auto truth = printLine(scene, g, printed, 33.0, 1.02, {150, 150});
    const Image image(scene.finish(0.7, 4, 9));

    // Positions: 0 H inferred, 1 E matched, 2 L inferred, 3 L inferred, 4 E unknown, 5 H
    // inferred, 6 a blank inferred, 7 a '9' inferred where nothing is printed.
    const std::vector<long> keys = {'H', 'E', 'L', 'L', 'E', 'H', ' ', '9'};
    using enum xcOCArrangeDefs::CharStatus;
    std::vector<Status> statuses = {eInferred, eMatched,  eInferred, eInferred,
                                    eUnknown,  eInferred, eInferred, eInferred};
    std::vector<xc_Pose> poses;
    for (std::size_t p = 0; p < printed.size(); ++p)
        poses.push_back(perturbed(truth[p], g.glyph(printed[p]).centre(), 1.2, -0.8,
                                  p % 2 ? 2.0 : -2.0, p % 2 ? 0.97 : 1.03));
    poses.push_back(poses[5]);
    poses.push_back(xc_Pose(xcVector<2>(40, 40), xcRadian(0.3), 1.0));
    std::vector<double> scores(keys.size(), 0.25);
    const std::vector<xc_Pose> before = poses;
    const std::vector<Status> statusesBefore = statuses;

    std::vector<double> tooShort(1);
    expectThrow<xc_OCExtractDefs::xc_OCExtractError>(
        [&] { xf_RefineArrangement(image, a, keys, poses, statuses, tooShort, nullptr, 0); },
        "Refine error", 0x10007402);
    xf_RefineArrangement(image, a, keys, poses, statuses, scores, nullptr, 0);

    for (std::size_t p : {0, 2, 3, 5}) {
        EXPECT_EQ(statuses[p], eMatched) << p;
        EXPECT_GT(scores[p], 0.8) << p;
        const xcVector<2> c = g.glyph(keys[p]).centre();
        // The truth's angle lies on the grid, its scale under 1 % from a grid scale: the model at
        // that angle or its neighbour, and the nearest scale, must win.
        EXPECT_LT((poses[p].xform().mapPoint(c) - truth[p].mapPoint(c)).len(), 0.2) << p;
        EXPECT_LE(std::fabs(angleDiff(xcDegree(poses[p].angle).toDouble(), angleOf(truth[p]))),
                  0.5 + 1e-9)
            << p;
        EXPECT_NEAR(poses[p].scale, 1.02, 0.016) << p;
    }
    for (std::size_t p : {1, 4, 6, 7}) {
        EXPECT_EQ(statuses[p], statusesBefore[p]) << p;
        EXPECT_EQ(poses[p].xform(), before[p].xform()) << p;
        EXPECT_EQ(scores[p], 0.25) << p;
    }
}

TEST(OCRefine, NearTheBorderTheUnwidenedWindowIsSearched) {
    const GlyphAlphabet g(U"K");
    const GlyphImage& k = g.glyph('K');
    // The glyph's window stands 4 pels from the left border: the widened window leaves the
    // image, the plain one (with its turn and scale margin) does not.
    Scene scene(120, 120);
    const xcVector<2> centre(0.5 * k.trainWidth() + 4.0, 60.0);
    const xcXform<2> truth = scene.place(k, 0.0, 1.0, centre).pose;
    const Image image(scene.finish(0.6, 3, 2));
    const xcPelRect w(0, 0, k.trainWidth(), k.trainHeight());
    const auto nbhd = xf_OCNeighbourhoodImage(image, w, xcXform<2>(), truth, 3.0, 0.05);
    ASSERT_TRUE(nbhd);
    EXPECT_EQ(nbhd->offset(), xcPelPoint(0, 0)); // the plain window's corner
    // The client coordinates are the run image's: the glyph's corner pel keeps its place.
    EXPECT_TRUE(xfRealEq(nbhd->clientFromImage().mapPoint({0, 0}),
                         truth.mapPoint(xf_OCEnlargedRegion(w, 3.0, 0.05).ul()), 1e-9));
    // Inside the image the widened window is taken, labelled from its own corner.
    const long mx = k.trainWidth() / 3, my = k.trainHeight() / 3;
    const xcXform<2> inside = xcXform<2>::translation({40, 0}) * truth;
    const auto wide = xf_OCNeighbourhoodImage(image, w, xcXform<2>(), inside, 3.0, 0.05);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->offset(), xcPelPoint(-mx, -my));
    const xcPelRect widened = w.trim(-mx, -mx, -my, -my, false);
    EXPECT_TRUE(xfRealEq(wide->clientFromImage().mapPoint({double(-mx), double(-my)}),
                         inside.mapPoint(xf_OCEnlargedRegion(widened, 3.0, 0.05).ul()), 1e-9));
    // Right at the border nothing fits.
    EXPECT_FALSE(xf_OCNeighbourhoodImage(image, w, xcXform<2>(), xcXform<2>::translation({-5, 40}),
                                         3.0, 0.05));

    std::vector<xc_Pose> poses = {perturbed(truth, k.centre(), 0.8, 0.6, 1.5, 1.0)};
    std::vector<Status> statuses = {xcOCArrangeDefs::eInferred};
    std::vector<double> scores = {0.0};
    xf_RefineArrangement(image, g.alphabet(), {'K'}, poses, statuses, scores, nullptr, 0);
    EXPECT_EQ(statuses[0], xcOCArrangeDefs::eMatched);
    EXPECT_LT((poses[0].xform().mapPoint(k.centre()) - truth.mapPoint(k.centre())).len(), 0.2);
}

} // namespace
