#include "oc/arrange/arrange.h"

#include "core/image/pel_errors.h"
#include "core/image/pel_ops.h"
#include "diag/diag_object.h"
#include "oc/arrange/char_poses.h"
#include "oc/oc/line.h"
#include "support/caught.h"
#include "support/glyph_alphabet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace oc_test;
using Defs = xcOCArrangeDefs;

namespace {

using Keys = std::vector<long>;

const std::u32string kText = U"KR2P6A";

const GlyphAlphabet& alphabet() {
    static const GlyphAlphabet a(kText + U"BXZ");
    return a;
}

Keys keysOf(const std::u32string& s) {
    return Keys(s.begin(), s.end());
}

// Poses one advance apart through `centre`: on a straight line at angleDeg (radius 0), or on an
// arc of that radius read clockwise on screen, tops outwards (angleDeg 1), or counter-clockwise,
// tops inwards (angleDeg -1).
std::vector<xcXform<2>> placed(const Keys& keys, double angleDeg, xcVector<2> centre,
                               double radius = 0.0) {
    double adv = 0.0;
    for (long k : keys) adv = std::max(adv, double(alphabet().glyph(k).trainWidth()));
    std::vector<xcXform<2>> out;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const double off = (double(i) - 0.5 * double(keys.size() - 1)) * adv;
        const double t = radius > 0 ? angleDeg * (off / radius - std::numbers::pi / 2)
                                    : angleDeg * std::numbers::pi / 180.0;
        const xcVector<2> at = radius > 0 ? centre + xcVector<2>(std::cos(t), std::sin(t)) * radius
                                          : centre + xcVector<2>(std::cos(t), std::sin(t)) * off;
        const double turn = radius > 0 ? (t + angleDeg * std::numbers::pi / 2) : t;
        out.push_back(
            placementPose(alphabet().glyph(keys[i]), turn * 180.0 / std::numbers::pi, 1.0, at));
    }
    return out;
}

struct Arranged {
    xcPelBuffer<unsigned char> image;
    xcOCArrangeResults results;
    std::vector<xcXform<2>> found;
};

// Prints printed[i] (0: nothing) at poses[i] (image coordinates) and arranges `keys` (an
// unbound mask is no mask).
Arranged arrange(const Keys& keys, const Keys& printed, const std::vector<xcXform<2>>& poses,
                 const xcOCArrangeParams& params = {},
                 const xcPelBuffer_const<unsigned char>& mask = {}, const xcXform<2>& client = {}) {
    Scene scene(320, 240);
    for (std::size_t i = 0; i < printed.size(); ++i)
        if (printed[i] != 0) scene.place(alphabet().glyph(printed[i]), poses[i]);
    Arranged r;
    r.image = scene.finish(0.6, 2.0, 7);
    r.image.clientFromImageXform(client);
    xfOCArrange_(r.image, mask, *alphabet().alphabet(), keys, params, r.results, nullptr, 0);
    r.found = xfOCCharacterPoses(r.results);
    return r;
}

// The reported pose of character i against the truth: centre within tolPx, angle within 3 deg.
void expectNear(const Arranged& r, const Keys& keys, const std::vector<xcXform<2>>& truth,
                std::size_t i, double tolPx = 1.5) {
    ASSERT_EQ(r.found.size(), keys.size());
    const xcVector<2> c = alphabet().glyph(keys[i]).centre();
    EXPECT_LE((r.found[i].mapPoint(c) - truth[i].mapPoint(c)).len(), tolPx) << "char " << i;
    EXPECT_LE(std::fabs(angleDiff(angleOf(r.found[i]), angleOf(truth[i]))), 3.0) << "char " << i;
}

} // namespace

TEST(OCArrange, ReadsStraightAndCircularLinesAtAnyAngle) {
    const Keys keys = keysOf(kText);
    struct Case {
        const char* what;
        std::vector<xcXform<2>> truth;
        xcXform<2> client;
    };
    const xcXform<2> mirror(xcMatrix<2>(1, 0, 0, -1), xcVector<2>(0, 240));
    const Case cases[] = {
        {"upright", placed(keys, 0.0, {160, 120}), {}},
        {"37 degrees", placed(keys, 37.0, {160, 120}), {}},
        {"upside down", placed(keys, 180.0, {160, 120}), {}},
        {"-100 degrees", placed(keys, -100.0, {160, 120}), {}},
        {"clockwise arc", placed(keys, 1.0, {160, 150}, 90.0), {}},
        {"counter-clockwise arc", placed(keys, -1.0, {160, 90}, 90.0), {}},
        {"mirrored client frame", placed(keys, 20.0, {160, 120}), mirror},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The truth is in client coordinates: the print in the image is what the client frame
        // shows through its transform (a mirror image under the mirroring one).
        std::vector<xcXform<2>> inImage = c.truth;
        for (xcXform<2>& t : inImage) t = c.client.inverse() * t;
        const Arranged r = arrange(keys, keys, inImage, {}, {}, c.client);
        ASSERT_TRUE(r.results.isFound());
        EXPECT_FALSE(r.results.isSearchTruncated());
        EXPECT_EQ(r.results.arrangement()->numLines(), 1);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            EXPECT_EQ(r.results.statusFlags()[i], Defs::eMatched) << i;
            EXPECT_GT(r.results.scores()[i], 0.8) << i;
            expectNear(r, keys, c.truth, i);
        }
    }
}

TEST(OCArrange, TwoLinesMissingSubstitutedAndMaskedCharacters) {
    const Keys keys = keysOf(kText);
    const std::vector<xcXform<2>> truth = placed(keys, 10.0, {160, 120});

    // Nothing printed at 2: inferred from the line, near where it belongs. Recording every
    // diagnostic of the run changes nothing.
    Keys printed = keys;
    printed[2] = 0;
    const Arranged m = arrange(keys, printed, truth);
    EXPECT_EQ(m.results.statusFlags()[2], Defs::eInferred);
    EXPECT_EQ(m.results.scores()[2], 0.0);
    expectNear(m, keys, truth, 2, 3.0);
    xcDiagObject rec;
    xcOCArrangeResults withRecords;
    xfOCArrange(m.image, *alphabet().alphabet(), keys, {}, withRecords, &rec, 0x70000);
    EXPECT_EQ(withRecords, m.results);
    EXPECT_GT(rec.numRecords(), 3);

    // Z printed where 2 is expected: never matched with a good score.
    printed[2] = 'Z';
    const Arranged s = arrange(keys, printed, truth);
    EXPECT_TRUE(s.results.statusFlags()[2] != Defs::eMatched || s.results.scores()[2] < 0.8);
    EXPECT_EQ(s.results.statusFlags()[3], Defs::eMatched);

    // A mask of 127 everywhere hides every pel, one of 128 none.
    for (const unsigned char level : {127, 128}) {
        xcPelBuffer<unsigned char> mask(320, 240);
        xfPelSet(mask, level);
        const Arranged k = arrange(keys, keys, truth, {}, mask);
        for (std::size_t i = 0; i < keys.size(); ++i)
            EXPECT_EQ(k.results.statusFlags()[i], level == 128 ? Defs::eMatched : Defs::eUnknown);
    }

    // Two lines, the second below the first: each line's first character frames it.
    const Keys top = keysOf(U"KR2"), bottom = keysOf(U"P6A");
    std::vector<xcXform<2>> poses = placed(top, 0.0, {160, 90});
    for (const auto& p : placed(bottom, 0.0, {160, 150})) poses.push_back(p);
    const Arranged two = arrange(keys, keys, poses);
    ASSERT_EQ(two.results.arrangement()->numLines(), 2);
    EXPECT_EQ(two.results.arrangement()->lines()[1]->name(), "Line 1");
    for (std::size_t i = 0; i < keys.size(); ++i) expectNear(two, keys, poses, i);
}

TEST(OCArrange, ChecksComeBeforeResultsAreTouchedAndEmptyTextIsFound) {
    const xcOCAlphabet& a = *alphabet().alphabet();
    const xcPelBuffer<unsigned char> image(40, 30);
    xcOCArrangeResults results;
    xcDiagObject rec;
    const Keys keys = keysOf(U"K");
    const auto masked = [&](const xcPelBuffer<unsigned char>& mask) {
        return [&, mask] { xfOCArrange(image, mask, a, keys, {}, results, &rec, 0x70000); };
    };
    (void)caught<xcPel::UnboundWindow>(
        [&] { xfOCArrange(xcPelBuffer<unsigned char>(), a, keys, {}, results, &rec, 0x70000); });
    (void)caught<xcPel::UnboundWindow>(masked(xcPelBuffer<unsigned char>()));
    xcPelBuffer<unsigned char> shifted(40, 30);
    shifted.offset(xcPelPoint(1, 0));
    for (const xcPelBuffer<unsigned char>& mask : {xcPelBuffer<unsigned char>(39, 30), shifted})
        (void)caught<Defs::BadMask>(masked(mask));
    (void)caught<xcOCDefs::BadKey>([&] {
        xfOCArrange(image, a, Keys{'K', 999}, {}, results, &rec, 0x70000);
    });
    EXPECT_EQ(rec.numRecords(), 0);
    EXPECT_EQ(results, xcOCArrangeResults());

    xfOCArrange(image, a, Keys{}, {}, results, nullptr, 0);
    EXPECT_TRUE(results.isFound());
    EXPECT_FALSE(results.isSearchTruncated());
    EXPECT_EQ(results.arrangement()->numLines(), 0);
    EXPECT_TRUE(results.statusFlags().empty());
}

TEST(OCArrange, NothingFoundLeavesEveryCharacterUnknownOnItsOwnLine) {
    const Keys keys = keysOf(U"KR2");
    xcOCArrangeParams params;
    params.scaleRange(xcRange(0.8, 1.25));
    struct Case {
        long maxCandidates;
        bool truncated;
    };
    for (const Case c : {Case{500000, false}, Case{0, true}}) {
        params.maxCandidates(c.maxCandidates);
        // A blank image has no candidates at all; with a code printed but maxCandidates 0 the
        // arrangement search stops before its first step.
        const Arranged r =
            arrange(keys, c.truncated ? keys : Keys(3, 0), placed(keys, 0.0, {160, 120}), params);
        ASSERT_TRUE(r.results.isFound());
        EXPECT_EQ(r.results.isSearchTruncated(), c.truncated);
        EXPECT_EQ(r.results.arrangement()->numLines(), 3);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            EXPECT_EQ(r.results.statusFlags()[i], Defs::eUnknown);
            EXPECT_NEAR(r.results.arrangement()->lines()[i]->charScales()[0], std::sqrt(0.8 * 1.25),
                        1e-12);
        }
    }
}
