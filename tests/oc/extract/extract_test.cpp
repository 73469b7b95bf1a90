// The extraction: its instance, result and error types, training and symmetry classes, the
// search of whole strings, and the diagnostics.
#include "align/align_result.h"
#include "core/sys/attention.h"
#include "core/sys/timeout.h"
#include "diag/diag_object.h"
#include "oc/extract/access.h"
#include "oc/extract/detail/edge_score.h"
#include "oc/extract/detail/scale_consensus.h"
#include "oc/extract/detail/train_cache.h"
#include "oc/oc/fixtures.h"
#include "support/glyph_alphabet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace oc_test;
using A = xc_OCExtractTestAccess;
using Error = xc_OCExtractDefs::xc_OCExtractError;
using Sym = xc_OCExtractDefs::Symmetry;
constexpr long kExtractError = 0x10007402;

namespace {

// An instance whose rectangle is the 10 x 20 window scaled by `scale` and placed at (x, y).
xc_OCExtractCharInstance at(double x, double y, double score = 0.5, double scale = 1.0) {
    const xcXform<2> pose(xcMatrix<2>(scale, 0, 0, scale), {x, y});
    const xcAlignResult r(score, pose, true, 1, 0, 0, scale, 30);
    return xc_OCExtractCharInstance(r, xcXform<2>(), xcPelRect(0, 0, 10, 20));
}

// The error rethrows as itself, archives as its class name, version 0 and its message, loads by
// that name, and reports an unknown version with number 0.
TEST(OCExtractTypes, ErrorCarriesItsNumberArchivesAndLoadsByClassName) {
    Error* heap = new Error("Bad index");
    expectThrow<Error>([&] { heap->suicideAndRethrow(); }, "Bad index", kExtractError);
    xcPersistent* out = new Error("refine error");
    Bytes bytes = store(out);
    delete out;
    Reader r(bytes);
    EXPECT_EQ(r.u8(), 1);
    EXPECT_EQ(r.str(), "xc_OCExtractDefs::xc_OCExtractError");
    EXPECT_EQ(r.u8(), 0); // own version, then xcExceptionWithString's
    EXPECT_EQ(r.u8(), 0);
    EXPECT_EQ(r.str(), "refine error");
    EXPECT_EQ(r.u8(), 0); // xcException
    EXPECT_TRUE(r.atEnd());

    xcPersistent* in = nullptr;
    load(bytes, in);
    const std::unique_ptr<xcPersistent> owned(in);
    const auto* loaded = dynamic_cast<Error*>(in);
    EXPECT_TRUE(loaded && loaded->message() == "refine error");
    bytes[40] = 1; // the class's own version byte
    xcPersistent* bad = nullptr;
    expectUnknownVersion(bytes, bad, "xc_OCExtractDefs::xc_OCExtractError", 0);
}

// The rectangle is the train window placed by pose times train client; an instance equals
// another when one of its five points (centre, corners) lies near the other's centre.
TEST(OCExtractTypes, InstanceRectangleAndOneWayEquality) {
    // Train pels (2, 3, 4, 6) with train client = pels scaled by 0.5; pose turns by 90 degrees
    // and moves by (100, 50): Po = pose(1, 1.5), Px = pose(3, 1.5), Py = pose(1, 4.5).
    const xcXform<2> pose(xcMatrix<2>(0, -1, 1, 0), xcVector<2>(100, 50));
    const xcAlignResult r(0.8, pose, true, 1, 0, 90, 1, 30);
    const xcXform<2> half(xcMatrix<2>(0.5, 0, 0, 0.5), {});
    const xc_OCExtractCharInstance i(r, half, xcPelRect(2, 3, 4, 6));
    EXPECT_EQ(i.affRect, xcAffineRectangle({98.5, 51}, {98.5, 53}, {95.5, 51}));

    const xc_OCExtractCharInstance a = at(0, 0);
    EXPECT_FALSE(at(10, 0).isEqual(a, 0.1)); // a full width away: centre at (1.5, 0.5)
    // Shifted by half a width and height: Po lands on the other's centre.
    EXPECT_TRUE(at(5, 10).isEqual(a, 0.0));
    // A rectangle a fifth of the other's size at its corner: its Popp lies 0.42 from the
    // other's centre, while the other's nearest point (Po) lies 0.71 from its centre.
    const xc_OCExtractCharInstance s = at(0, 0, 0.5, 0.2);
    EXPECT_TRUE(s.isEqual(a, 0.45));
    EXPECT_FALSE(a.isEqual(s, 0.45));
    EXPECT_TRUE(a.isEqual(s, 0.71));
    EXPECT_FALSE(xc_OCExtractCharInstance::orderByScore(at(0, 0, 0.5), at(0, 0, 0.5)));
}

// A character result's instances are indexed, sorted and thinned; results of one key merge into
// the first (instances in order, times summed, found if either was) and copies of the string
// result share the character results.
TEST(OCExtractTypes, CharResultsIndexSortThinMergeAndShare) {
    xc_OCExtractCharResult r;
    for (double s : {0.6, 0.9, 0.7}) A::append(r, at(0, 0, s));
    A::append(r, at(50, 0, 0.8));
    const Refusals bad = {{[&] { r.score(r.numInstances()); }, "Bad index"},
                          {[&] { r.pose(-1); }, "Bad index"},
                          {[&] { r.affRect(4); }, "Bad index"},
                          {[&] { A::doesOverlap(r, 0, 4, 0.1); }, "Bad index"}};
    expectThrows<Error>(bad, kExtractError);

    A::sort(r);
    EXPECT_EQ(std::vector<double>({r.score(0), r.score(1), r.score(2), r.score(3)}),
              std::vector<double>({0.9, 0.8, 0.7, 0.6}));
    EXPECT_FALSE(A::doesOverlap(r, 0, 1, 0.1));
    A::removeOverlapping(r, 0, 0.1); // the three at (0, 0) are one; the one at (50, 0) stays
    ASSERT_EQ(r.numInstances(), 2);
    EXPECT_EQ(r.score(1), 0.8);

    // Clearing keeps the 180-degree self-pose, which belongs to the model.
    r.numOccurrences(3);
    A::rot180(r, xcXform<2>::translation({1, 2}));
    r.init();
    EXPECT_TRUE(r.numInstances() == 0 && r.numOccurrences() == 0);
    EXPECT_EQ(r.rot180Pose(), xcXform<2>::translation({1, 2}));

    xc_OCExtractStringResult s;
    A::Handle first(new xc_OCExtractCharResult()), second(new xc_OCExtractCharResult());
    first->time(1.0);
    first->numOccurrences(2);
    A::append(*first, at(0, 0, 0.4));
    second->time(2.0);
    second->found(true);
    A::append(*second, at(5, 0, 0.6));
    A::addToResult(s, 7, first);
    A::addToResult(s, 7, second);
    ASSERT_TRUE(A::byKey(s).size() == 1 && A::byKey(s).at(7) == first);
    EXPECT_TRUE(first->numInstances() == 2 && first->score(1) == 0.6 && first->time() == 3.0);
    EXPECT_TRUE(first->found() && first->numOccurrences() == 2);

    const xc_OCExtractStringResult copy = s;
    A::byKey(copy).at(7)->numOccurrences(5);
    EXPECT_EQ(first->numOccurrences(), 5);
}

using Keys = std::vector<long>;

Keys keysOf(const std::u32string& s) {
    return Keys(s.begin(), s.end());
}

// A model of a w x h image of grey 200 with dark (40) pels where `ink` says.
template <class Ink>
ModelHandle drawnModel(long key, long w, long h, Ink ink) {
    xcPelBuffer<unsigned char> b(w, h);
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x) *b.pointToPel(x, y) = ink(x + 0.5, y + 0.5) ? 40 : 200;
    return ModelHandle(new xcOCModel(key, Image(b), b.window(), xcOCModel::eNormal, "", ""));
}
ModelHandle barModel(long key, long w, long h, const xcPelRect& bar) {
    return drawnModel(key, w, h, [&](double x, double y) { return bar.contains(x, y); });
}
// A filled ellipse with half-axes rx, ry in the middle.
ModelHandle discModel(long key, long w, long h, double rx, double ry) {
    return drawnModel(key, w, h, [&](double x, double y) {
        return std::hypot((x - 0.5 * w) / rx, (y - 0.5 * h) / ry) <= 1.0;
    });
}

// A search's scale zone and grain limits; -1 lets the pattern tool choose the grains.
xc_OCExtractModelParams zones(double scaleLow = 0.85, double scaleHigh = 1.15,
                              std::pair<double, double> grains = {-1.0, -1.0}) {
    xc_OCExtractModelParams p;
    p.scaleRange = xcRange(scaleLow, scaleHigh);
    p.grainLimits = grains;
    return p;
}

struct Search {
    xc_OCExtractModel model;
    xc_OCExtractStringResult result;
    bool complete;
    Search(const AlphabetHandle& a, const Keys& keys, const Image& image,
           const xc_OCExtractRunParams& run = {}, const xc_OCExtractModelParams& p = zones())
        : complete(model.search(a, keys, image, Image(), p, run, result, nullptr, 0)) {}
};

TEST(OCExtractTrain, ModelsFollowDistinctKeysAndEdgeRichnessUntrainedLast) {
    const GlyphAlphabet g(U"WKS");
    xcOCAlphabet::Models models = g.alphabet()->characters();
    models.push_back(barModel(1, 30, 30, xcPelRect(12, 4, 6, 22))); // one bar: degenerate
    models.push_back(blank(2, "space"));
    const AlphabetHandle a(new xcOCAlphabet(models, 0.5, false, ""));
    const Keys keys = {'K', 1, 'W', 'S', 'K', 2, 99, 'W', 'K'};
    const Image k(g.glyph('K').trainImage());
    xf_OCTrainedCharCacheClear(); // trained anew here, taken from the thread's kept outcomes below
    const Search s(a, keys, k);

    EXPECT_EQ(s.model.modelKeyList(), Keys({1, 2, 'K', 'S', 'W', 99}));
    EXPECT_EQ(s.model.keyCountList(), Keys({1, 1, 3, 1, 2, 1}));
    // Trained models by edge score, greatest first; the untrained follow in model order.
    const Keys order = s.model.searchOrderList();
    ASSERT_EQ(Keys(order.begin() + 3, order.end()), Keys({0, 1, 5}));
    for (long m : {0, 1, 5}) EXPECT_FALSE(s.model.isTrained(m));
    const auto edge = [&](long k) {
        return *xf_OCExtractEdgeScore(A::pattern(s.model, order[std::size_t(k)])->trainImage());
    };
    EXPECT_TRUE(edge(0) >= edge(1) && edge(1) >= edge(2));

    // Every model has a result, untrained ones too; positions share their key's result.
    const auto& res = s.result.results();
    ASSERT_EQ(res.size(), keys.size());
    EXPECT_TRUE(res[0] == res[4] && res[0] == res[8] && res[0] == s.result.uniqueCharResults()[2]);
    EXPECT_TRUE(res[6]->numOccurrences() == 1 && !res[6]->found());
    EXPECT_TRUE(res[0]->numOccurrences() == 3 && res[0]->found());
    EXPECT_GT(s.result.trainTime(), 0.0);

    const Search again(a, keys, k);
    EXPECT_EQ(again.model.searchOrderList(), s.model.searchOrderList());
    EXPECT_EQ(again.result.results()[0]->pose(0), res[0]->pose(0));
}

TEST(OCExtractTrain, SmallAreasTrainEnlargedAndEdgeTestRefusesPoorImages) {
    // 14 x 40 is enlarged to 28 x 80; 15 x 15 is copied as it is.
    const xcOCAlphabet::Models models = {discModel(1, 14, 40, 6, 9),
                                         discModel(2, 15, 15, 6.5, 6.5)};
    const AlphabetHandle a(new xcOCAlphabet(models, 0.5, false, ""));
    const Search s(a, {1, 2}, Image(40, 40), {}, zones(0.85, 1.15, {-1.0, 4.0}));
    ASSERT_TRUE(s.model.isTrained(0) && s.model.isTrained(1));
    EXPECT_EQ(A::pattern(s.model, 0)->trainImage().window(), xcPelRect(0, 0, 28, 80));
    EXPECT_EQ(A::pattern(s.model, 1)->trainImage().window(), xcPelRect(0, 0, 15, 15));
    EXPECT_TRUE(A::pattern(s.model, 1)->autoSelectGrainLimits()); // (-1, 4) is automatic
    // Fixed grains (2, 16) need 64 pels a side: the second attempt trains with grains (1, 1).
    const Search fixed(a, {2}, Image(40, 40), {}, zones(0.85, 1.15, {2.0, 16.0}));
    ASSERT_TRUE(fixed.model.isTrained(0));
    EXPECT_EQ(A::pattern(fixed.model, 0)->grainLimitCoarse(), 1.0f);

    // A bar's edges all lie in one direction window; a 4 x 3 box has fewer than 25 edgelets.
    EXPECT_FALSE(xf_OCExtractEdgeScore(barModel(1, 30, 30, xcPelRect(4, 12, 22, 6))->image()));
    EXPECT_FALSE(xf_OCExtractEdgeScore(barModel(1, 12, 12, xcPelRect(4, 4, 4, 3))->image()));
    // Edges measured at the scale of a stroke: a foot or a crossbar fixes the angle of L and H,
    // while a slash is one long bar.
    const GlyphAlphabet g(U"LH/");
    for (char32_t c : std::u32string(U"LH"))
        EXPECT_TRUE(xf_OCExtractEdgeScore(g.alphabet()->character(c)->image())) << char(c);
    EXPECT_FALSE(xf_OCExtractEdgeScore(g.alphabet()->character('/')->image()));
}

TEST(OCExtractTrain, SymmetryClassesFromSelfMatches) {
    // Filled and open circles and the round O of a geometric face match themselves at every
    // angle (the turned image's black canvas corners must not count); F full, H half a turn, N
    // none. DejaVu's O is an ellipse: half a turn.
    const std::u32string chars = U"\u25CF\u25CBOSZXNKRAL7", classes = U"FFHHHHHNNNNN";
    const GlyphAlphabet g(chars, 28.0);
    const Search round(GlyphAlphabet(U"O", 28.0, kGothicFont).alphabet(), {'O'}, Image(32, 32));
    EXPECT_EQ(round.result.uniqueCharResults()[0]->symmetry(), xc_OCExtractDefs::eFullSymmetry);
    const Search s(g.alphabet(), keysOf(chars), Image(32, 32));
    for (std::size_t m = 0; m < s.model.modelKeyList().size(); ++m) {
        const long c = s.model.modelKeyList()[m];
        const auto expected = Sym(std::u32string(U"NHF").find(classes[chars.find(char32_t(c))]));
        EXPECT_EQ(s.result.uniqueCharResults()[m]->symmetry(), expected) << c;
        if (expected == xc_OCExtractDefs::eNoSymmetry) continue;
        // The 180-degree self-pose turns the glyph about the middle of its ink.
        const xcXform<2>& r = s.result.uniqueCharResults()[m]->rot180Pose();
        EXPECT_NEAR(std::fabs(angleOf(r)), 180.0, 1.0) << c;
        const GlyphImage& glyph = g.glyph(c);
        const xcVector<2> ink(4.0 + 0.5 * glyph.inkWidth(), 4.0 + 0.5 * glyph.inkHeight());
        EXPECT_LT((r.mapPoint(ink) - ink).len(), 1.5) << c;
    }
}

TEST(OCExtractSearch, FindsEveryCharacterOfRotatedStringsWithItsPose) {
    const GlyphAlphabet g(U"AB2S5ZKRX3");
    Rng rng(11);
    for (int trial = 0; trial < 3; ++trial) {
        Scene scene(400, 400);
        const Keys keys = keysOf(U"AB2S5ZKRX3AS");
        const double angle = rng.uniform(-180, 180), scale = rng.uniform(0.9, 1.1);
        const auto truth = printLine(scene, g, keys, angle, scale, {200, 200});
        const Search s(g.alphabet(), keys, Image(scene.finish(0.7, 5, trial)), {}, zones(0.9, 1.1));
        EXPECT_TRUE(s.complete);
        for (std::size_t p = 0; p < keys.size(); ++p) {
            const xc_OCExtractCharResult& r = *s.result.results()[p];
            EXPECT_LE(r.numInstances(), r.numOccurrences() + 2);
            const GlyphImage& glyph = g.glyph(keys[p]);
            const xcVector<2> c = glyph.centre();
            // A symmetric glyph may come back turned by half a turn about the middle of its ink,
            // which the rendering knows only to a fraction of a pel.
            const xcVector<2> ink(4.0 + 0.5 * glyph.inkWidth(), 4.0 + 0.5 * glyph.inkHeight());
            bool hit = false;
            for (long k = 0; k < r.numInstances() && !hit; ++k) {
                const double da = std::fabs(angleDiff(angleOf(r.pose(k)), angleOf(truth[p])));
                const xcVector<2> at = r.pose(k).mapPoint(c);
                if (da <= 1.0)
                    hit = (at - truth[p].mapPoint(c)).len() <= 0.5;
                else if (r.symmetry() != xc_OCExtractDefs::eNoSymmetry &&
                         std::fabs(da - 180.0) <= 1.0)
                    hit = (at - truth[p].mapPoint(ink * 2.0 - c)).len() <= 1.0;
            }
            EXPECT_TRUE(hit) << "trial " << trial << " at " << p << " angle " << angle;
        }
        EXPECT_GT(s.result.searchTime(), 0.0);
    }
}

TEST(OCExtractSearch, ScaleLocksOnConsensusOfThreeFindsAndTimeLimitsStopEarly) {
    using Scales = std::vector<double>;
    EXPECT_DOUBLE_EQ(*xf_OCExtractScaleConsensus(Scales{1.00, 1.50, 1.02, 1.05}, 3),
                     std::sqrt(1.05));
    // No three within 8 %, or a negative scale: no consensus.
    EXPECT_FALSE(xf_OCExtractScaleConsensus(Scales{1.00, 1.05, 1.10}, 3) ||
                 xf_OCExtractScaleConsensus(Scales{-1.0, 1.00, 1.01}, 3));
    // The tightest window wins: 1.20..1.21 over 1.00..1.05.
    EXPECT_DOUBLE_EQ(*xf_OCExtractScaleConsensus(Scales{1.00, 1.05, 1.20, 1.21}, 2),
                     std::sqrt(1.20 * 1.21));

    // Six models: minAgree 3. After three accepted finds every later model keeps one scale.
    const GlyphAlphabet g(U"KRSPGB");
    Scene scene(360, 120);
    const Keys keys = keysOf(U"KRSPGB");
    printLine(scene, g, keys, 20.0, 1.06, {180, 60});
    const Image image(scene.finish(0.6, 3, 5));
    const Search s(g.alphabet(), keys, image);
    Scales observed;
    for (long m : s.model.searchOrderList()) {
        const xc_OCExtractCharResult& r = *s.result.uniqueCharResults()[std::size_t(m)];
        ASSERT_GT(r.numInstances(), 0);
        observed.push_back(r.pose(0).xScale());
    }
    const double locked = std::sqrt(*std::min_element(observed.begin(), observed.begin() + 3) *
                                    *std::max_element(observed.begin(), observed.begin() + 3));
    for (std::size_t k = 3; k < observed.size(); ++k) EXPECT_NEAR(observed[k], locked, 1e-9);
    EXPECT_NEAR(locked, 1.06, 0.02);

    // Every model's own limit has passed at its first poll: each keeps what it found by then.
    xc_OCExtractRunParams run;
    run.timeout = 0.0;
    const Search late(g.alphabet(), keys, image, run);
    EXPECT_FALSE(late.complete);
    ASSERT_EQ(late.result.uniqueCharResults().size(), 6u);
    for (const auto& r : late.result.uniqueCharResults())
        EXPECT_TRUE(r->numOccurrences() == 1 && r->found() == (r->numInstances() > 0));

    // The caller's limit stops training before its first model: nothing is kept for later.
    xf_OCTrainedCharCacheClear();
    xcAttentionTag caller;
    caller.attachTimeout(0.0);
    EXPECT_THROW(Search(g.alphabet(), keys, image), xcTimeout::Expired);
    EXPECT_EQ(xf_OCFindTrainedChar(g.alphabet()->character('K')->image(), true, {-1.0, -1.0}),
              nullptr);
}

TEST(OCExtractDiag, ParameterTextWaitsForTheResultsRecord) {
    // A filled circle (full symmetry) and S (180) are printed, Q is not, and a slash is refused
    // by the edge test: it has no pattern and stays out of text and graphics.
    const std::u32string chars = U"\u25CF/QS";
    const GlyphAlphabet g(chars);
    Scene scene(160, 80);
    printLine(scene, g, {0x25CF, 'S'}, 10.0, 1.0, {80, 40});
    const Image image(scene.finish(0.5, 2, 3));
    xcDiagObject rec;
    xc_OCExtractModel model;
    xc_OCExtractStringResult result;
    model.search(g.alphabet(), keysOf(chars), image, {}, {}, {}, result, &rec, 0x10000);
    EXPECT_EQ(rec.numRecords(), 0);
    model.search(g.alphabet(), keysOf(chars), image, {}, {}, {}, result, &rec, 0x20000);

    // Models in key order: the slash, Q, S, the circle.
    const auto& unique = result.uniqueCharResults();
    ASSERT_TRUE(unique.size() == 4 && !model.isTrained(0) && unique[1]->numInstances() == 0 &&
                unique[2]->numInstances() == 1 && unique[3]->numInstances() == 1);
    const auto line = [](const xc_OCExtractCharResult& r) {
        std::ostringstream s;
        s << " \t Instance #0 \t Score= " << r.score(0)
          << " \t Angle= " << xcDegree(r.pose(0).xRot()).toDouble()
          << " \t Scale=" << r.pose(0).xScale() << "\n";
        return s.str();
    };
    const std::string circle = g.alphabet()->character(0x25CF)->name();
    ASSERT_EQ(rec.numRecords(), 3);
    const xcDiagRecord& text = *rec.diagRecord(0);
    EXPECT_EQ(text.title(), "Result details");
    EXPECT_EQ(text.texts().at(0).body(),
              "Runtime Params\n==============\nAccept Thresh = 0.5\nConfusion Thresh = 0.6\n"
              "Overlap =0.1\n\nFinal Results\nCould not find Char Model 'Q'\n\n"
              "Found Char Model 'S'\n" +
                  line(*unique[2]) + "\nFound Char Model '" + circle + "'\n" + line(*unique[3]) +
                  "\n");

    // The circle shows its other three orientations in blue, S its 180-degree one.
    for (int k = 0; k < 2; ++k) {
        const xc_OCExtractCharResult& r = *unique[std::size_t(k) + 2];
        const xcDiagRecord& gr = *rec.diagRecord(k + 1);
        EXPECT_EQ(gr.title(), "Character '" + (k ? circle : "S") + "' Result #0");
        ASSERT_TRUE(gr.graphics().size() == 1 && gr.graphics()[0].coordinateSystem() == 2);
        const xcGraphicList& list = gr.graphics()[0].list();
        ASSERT_EQ(list.size(), k ? 5 : 3);
        EXPECT_EQ(*list.get<xcGraphicSimple>(0)->get<xcAffineRectangle>(), r.affRect(0));
        const xcGraphicSimple& turned = *list.get<xcGraphicSimple>(1);
        EXPECT_EQ(turned.props().color(), xcColor(xcColor::eBlue));
        const xcGraphicSimple& mark = *list.get<xcGraphicSimple>(list.size() - 1);
        EXPECT_EQ(mark.props(), xcGraphicProps(xcColor::eGreen, eSolid, 2));
        const GlyphImage& glyph = g.glyph(k ? 0x25CF : 'S');
        const double d = std::min(glyph.trainWidth(), glyph.trainHeight());
        EXPECT_TRUE(xfRealEq(mark.get<xcLineSeg>()->p2(), r.pose(0).mapPoint({0.5 * d, 0}), 1e-9));
        EXPECT_TRUE(
            xfRealEq(turned.get<xcLineSeg>()->p2(), r.pose(0).mapPoint({-0.5 * d, 0}), 1e-9));
    }
}

} // namespace
