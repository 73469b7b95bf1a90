// The arranger end to end on rendered texts with known truth and refused input; its
// exceptions, parameters and results (numbers, archive layouts, versions and damage) and its
// diagnostics records (titles, levels, texts and graphics).
#include "oc/arrange/arrange.h"
#include "oc/arrange/arrange_diag.h"
#include "oc/arrange/char_poses.h"

#include "core/image/pel_errors.h"
#include "core/image/pel_ops.h"
#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"
#include "core/persist/archive_vector.h"
#include "diag/diag_object.h"
#include "oc/arrange/arrange_fixtures.h"
#include "oc/oc/fixtures.h"
#include "oc/oc/line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace arrange_test;
using namespace oc_test;
using Defs = xcOCArrangeDefs;
using Access = xc_OCArrangeResultsAccess;
using P = xcOCArrangeParams;
using Strings = std::vector<std::string>;
using U8 = std::uint8_t;

namespace {

constexpr std::int32_t kMax = 0x7fffffff;
const Image kImage = makeImage({0, 0, 40, 30});

// Results as the arranger would leave them: 'a' and 'b' on one line, matched and inferred.
xcOCArrangeResults filled() {
    const xcOCLineArrangement::Lines oneLine{xcPtrHandle_const<xcOCLine>(new xcOCLine(
        {xcOCKeySet({10}, 0), xcOCKeySet({20}, 0)}, alphabetOf(2),
        {xc2Rigid(), xc2Rigid(xcRadian(0), {12, 0})}, 1.0, 0.0, xcRadian(0), 0.0, "Line 0"))};
    xcOCArrangeResults r;
    Access::isFound(r) = true;
    Access::arrangement(r) = xcPtrHandle_const<xcOCLineArrangement>(new xcOCLineArrangement(
        oneLine, std::vector<xc2Rigid>{xc2Rigid()}, 0.0, xcRadian(0), "arr"));
    Access::clientFromArrangementXform(r) = xcXform<2>(xcMatrix<2>(0, -2, 2, 0), {30, 40});
    Access::statusFlags(r) = {Defs::eMatched, Defs::eInferred}, Access::scores(r) = {0.875, 0.0};
    return r;
}

// The bytes of the values as they lie in memory, one after another: what an archive writes.
template <class... T>
Bytes raw(T... v) {
    Bytes b;
    ((b.resize(b.size() + sizeof v), std::memcpy(&b[b.size() - sizeof v], &v, sizeof v)), ...);
    return b;
}

// Loading refuses other versions (naming the class; 0xFF is no negative "older" version) and a
// 3 at byte enumAt, which is no value of the enumeration stored there; the target stays `keep`.
template <class T>
void expectRefused(const Bytes& bytes, const char* name, unsigned char next, std::size_t enumAt,
                   const T& keep) {
    using Damage = std::pair<std::size_t, unsigned char>;
    for (const auto& [at, v] : {Damage{0, next}, Damage{0, 0xFF}, Damage{enumAt, 3}}) {
        Bytes bad = bytes;
        bad[at] = v;
        T target = keep;
        if (at == 0) expectUnknownVersion(bad, target, name, v);
        if (at != 0) (void)caught<xcArchive::BadFormat>([&] { load(bad, target); });
        EXPECT_EQ(target, keep);
    }
}

// "title|body" of every text of a record.
Strings texts(const xcDiagRecord& r) {
    Strings out;
    for (const xcDiagText& t : r.texts()) out.push_back(t.title() + "|" + t.body());
    return out;
}

// "title@level" of every record, in order.
Strings outline(const xcDiagObject& rec) {
    Strings lines;
    for (long i = 0; i < rec.numRecords(); ++i)
        lines.push_back(rec.diagRecord(i)->title() + "@" +
                        std::to_string(rec.diagRecord(i)->level()));
    return lines;
}

void expectGraphic(const xcGraphicList& list, long i, const xcGraphicSimple::Shape& shape,
                   xcColor::Name color) {
    EXPECT_TRUE(list.at(i).equals(xcGraphicSimple(shape, xcGraphicProps(color)))) << i;
}

} // namespace

// The truth is in client coordinates: under the mirroring client frame the print is a mirror image.
TEST(OCArrange, ReadsRenderedTexts) {
    const Keys keys = keysOf(kText);
    const xcXform<2> mirror(xcMatrix<2>(1, 0, 0, -1), xcVector<2>(0, 240));
    const std::vector<xcXform<2>> at10 = placed(keys, 10.0, {160, 120});
    std::vector<xcXform<2>> twoLines = placed(keysOf(U"KR2"), 0.0, {160, 90});
    for (const auto& p : placed(keysOf(U"P6A"), 0.0, {160, 150})) twoLines.push_back(p);
    Keys missing = keys, swapped = keys;
    missing[2] = 0, swapped[2] = 'Z';
    xcPelBuffer<unsigned char> hideAll(320, 240), hideNone(320, 240);
    xfPelSet(hideAll, 127), xfPelSet(hideNone, 128);
    xcOCArrangeParams wide, noRoom; // scales from 0.8 to 1.25; and no room for a search step
    wide.scaleRange(xcRange(0.8, 1.25)), noRoom = wide, noRoom.maxCandidates(0);
    struct Case {
        const char* what;
        std::vector<xcXform<2>> truth;
        Keys printed;
        long lines;
        const char* statuses; // m matched, i inferred, u unknown, ? anything but a good match
        xcXform<2> client = {};
        xcPelBuffer_const<unsigned char> mask = {};
        xcOCArrangeParams params = {};
        bool truncated = false;
    };
    const Case cases[] = {
        {"upright", placed(keys, 0.0, {160, 120}), keys, 1, "mmmmmm"},
        {"37 degrees", placed(keys, 37.0, {160, 120}), keys, 1, "mmmmmm"},
        {"upside down", placed(keys, 180.0, {160, 120}), keys, 1, "mmmmmm"},
        {"-100 degrees", placed(keys, -100.0, {160, 120}), keys, 1, "mmmmmm"},
        {"clockwise arc", placed(keys, 1.0, {160, 150}, 90.0), keys, 1, "mmmmmm"},
        {"counter-clockwise arc", placed(keys, -1.0, {160, 90}, 90.0), keys, 1, "mmmmmm"},
        {"mirrored client frame", placed(keys, 20.0, {160, 120}), keys, 1, "mmmmmm", mirror},
        {"nothing printed at 2", at10, missing, 1, "mmimmm"},
        {"Z printed where 2 belongs", at10, swapped, 1, "mm?mmm"},
        {"a mask of 127 hides every pel", at10, keys, 6, "uuuuuu", {}, hideAll},
        {"a mask of 128 hides none", at10, keys, 1, "mmmmmm", {}, hideNone},
        {"two lines, each framed by its first character", twoLines, keys, 2, "mmmmmm"},
        // A blank image has no candidates at all; with maxCandidates 0 the arrangement search
        // stops before its first step although the text is printed.
        {"blank image", at10, Keys(6, 0), 6, "uuuuuu", {}, {}, wide},
        {"maxCandidates 0", at10, keys, 6, "uuuuuu", {}, {}, noRoom, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Arranged r = arrange(keys, c.printed, c.truth, c.params, c.mask, c.client);
        const std::vector<xcXform<2>> found = xfOCCharacterPoses(r.results);
        EXPECT_EQ(r.results.isSearchTruncated(), c.truncated);
        ASSERT_EQ(r.results.arrangement()->numLines(), c.lines);
        EXPECT_EQ(r.results.arrangement()->lines()[c.lines - 1]->name(),
                  "Line " + std::to_string(c.lines - 1));
        ASSERT_EQ(found.size(), keys.size());
        const xcRange& range = c.params.scaleRange();
        const double midScale = std::sqrt(range.start() * range.end());
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const char want = c.statuses[i];
            const double score = r.results.scores()[i];
            const bool matched = r.results.statusFlags()[i] == Defs::eMatched;
            EXPECT_TRUE(want != '?' || !matched || score < 0.8) << i;
            if (want == '?') continue;
            // eMatched, eInferred and eUnknown are 0, 1 and 2.
            EXPECT_EQ(r.results.statusFlags()[i], std::string_view("miu").find(want)) << i;
            EXPECT_TRUE(want == 'm' ? score > 0.8 : score == 0.0) << i << ": " << score;
            // An unknown character takes the middle of the scale range.
            EXPECT_TRUE(want != 'u' || std::fabs(found[i].xScale() - midScale) < 1e-9) << i;
            if (want == 'u') continue;
            // The centre within 1.5 pels (3 when inferred), the angle within 3 degrees.
            const xcVector<2> mid = alphabet().glyph(keys[i]).centre();
            EXPECT_LE((found[i].mapPoint(mid) - c.truth[i].mapPoint(mid)).len(),
                      want == 'm' ? 1.5 : 3.0)
                << i;
            EXPECT_LE(std::fabs(angleDiff(angleOf(found[i]), angleOf(c.truth[i]))), 3.0) << i;
        }
        // Recording every diagnostic changes nothing.
        xcDiagObject rec;
        xcOCArrangeResults recorded;
        xfOCArrange_(r.image, c.mask, *alphabet().alphabet(), keys, c.params, recorded, &rec,
                     0x70000);
        EXPECT_EQ(recorded, r.results);
        EXPECT_GT(rec.numRecords(), 3);
    }
}

TEST(OCArrange, RefusalsTouchNothingAndEmptyTextIsFound) {
    const xcOCAlphabet& a = *alphabet().alphabet();
    using Buf = xcPelBuffer<unsigned char>;
    const Buf image(40, 30);
    xcOCArrangeResults results = filled();
    xcDiagObject rec;
    const Keys keys = keysOf(U"K");
    const auto masked = [&](const Buf& mask) {
        return [&, mask] { xfOCArrange(image, mask, a, keys, {}, results, &rec, 0x70000); };
    };
    (void)caught<xcPel::UnboundWindow>(
        [&] { xfOCArrange(Buf(), a, keys, {}, results, &rec, 0x70000); });
    (void)caught<xcPel::UnboundWindow>(masked(Buf()));
    Buf shifted(40, 30);
    shifted.offset(xcPelPoint(1, 0));
    for (const Buf& mask : {Buf(39, 30), Buf(40, 29), shifted})
        EXPECT_EQ(caught<Defs::BadMask>(masked(mask)).errorNumber(), 0x10007401);
    (void)caught<xcOCDefs::BadKey>([&] {
        xfOCArrange(image, a, Keys{'K', 999}, {}, results, &rec, 0x70000);
    });
    EXPECT_EQ(rec.numRecords(), 0);
    EXPECT_EQ(results, filled());
    EXPECT_EQ(Defs::BadParams("").errorNumber(), 0x10007400); // what a refused setter throws
    xfOCArrange(image, a, Keys{}, {}, results, nullptr, 0);
    EXPECT_TRUE(results.isFound());
    EXPECT_EQ(results.arrangement()->numLines(), 0);
    EXPECT_TRUE(results.statusFlags().empty());
}

// The defaults are pinned here too: only four fields differ from a new object.
TEST(OCArrangeParams, ArchiveLayoutDefaultsVersionsAndDamage) {
    P p;
    p.lineType(Defs::eCircular), p.straightTextDirection(xcRadian(0.5));
    p.expectedOrientation(xcRadian(-0.25)), p.orientationCost(0.75);
    const Bytes bytes = store(p);
    // Version, scale range (kind, start, end), minMatchScore, maxLines, lineType eCircular,
    // isTextDirectionSpecified, straightTextDirection, isCircularTextDirectionClockwise,
    // maxUnmatchedChars, orientationMode eAverage, orientationReference eRelative,
    // expectedOrientation, the line break, unmatched, normal, tangential, orientation and scale
    // costs, compPoseUncertainties, maxCandidates, timeout.
    EXPECT_EQ(bytes, raw(U8(0), U8(0), 0.9, 1.1, 0.4, kMax, 1u, U8(0), 0.5, U8(1), kMax, 1u, 1u,
                         -0.25, 2.0, 1.0, 1.0, 1.0, 0.75, 1.0, U8(0), std::int32_t(500000), 10.0));
    P back;
    load(bytes, back);
    EXPECT_EQ(back, p);
    // Loading skips the setters' checks.
    Bytes unchecked = bytes;
    const Bytes two = raw(2.0);
    std::copy(two.begin(), two.end(), unchecked.begin() + 18); // minMatchScore
    load(unchecked, back);
    EXPECT_EQ(back.minMatchScore(), 2.0);
    expectRefused(bytes, "xcOCArrangeParams", 1, 30, P()); // 30: lineType
    expectDamageRefused(bytes, [](const Bytes& data) {
        P loaded;
        load(data, loaded);
    });
}

TEST(OCArrangeResults, ArchiveLayoutAndVersions) {
    xcOCArrangeResults r;
    Access::isFound(r) = true,
    Access::clientFromArrangementXform(r) = xcXform<2>::translation({3, 4});
    Access::statusFlags(r) = {Defs::eUnknown}, Access::scores(r) = {0.5};
    const Bytes bytes = store(r);
    // Version, found, truncated, no arrangement, the transform, status flags (a vector of
    // unsigned longs: version, count, values) and scores.
    EXPECT_EQ(bytes, raw(U8(1), U8(1), U8(0), U8(0), 1.0, 0.0, 0.0, 1.0, 3.0, 4.0, U8(0), 1u, 2u,
                         U8(0), 1u, 0.5));
    // With an arrangement: it is written in full and round-trips by value.
    xcOCArrangeResults full = filled();
    Access::isSearchTruncated(full) = true;
    xcOCArrangeResults back;
    load(store(full), back);
    EXPECT_EQ(back, full);
    // Version 0 carries two more doubles, read and dropped.
    const Bytes v0 = raw(U8(0), U8(1), U8(0), U8(0), 1.0, 0.0, 0.0, 1.0, 3.0, 4.0, U8(0), 1u, 2u,
                         U8(0), 1u, 0.5, 7.0, 8.0);
    load(v0, back);
    EXPECT_EQ(back, r);
    expectRefused(bytes, "xcOCArrangeResults", 2, 4 + 48 + 5, full); // the status
    expectDamageRefused(store(full), [](const Bytes& data) {
        xcOCArrangeResults loaded;
        load(data, loaded);
        if (loaded.arrangement()) (void)(*loaded.arrangement() == *loaded.arrangement());
    });
}

TEST(OCArrangeDiag, InputRecords) {
    xcOCArrangeParams custom;
    custom.maxLines(3), custom.lineType(Defs::eCircular), custom.lineBreakCost(0.25);
    custom.orientationMode(Defs::eSpecified), custom.orientationReference(Defs::eAbsolute);
    custom.expectedOrientation(xcRadian(0.5));
    const std::string costs = "Unmatched char cost\t1.000\nNormal trans cost\t\t1.000\n"
                              "Tangential trans cost\t1.000\nOrientation cost\t\t1.000\n"
                              "Scale cost\t\t1.000\n";
    const std::pair<xcOCArrangeParams, std::string> cases[] = {
        {xcOCArrangeParams(),
         "Max lines\t\tNo limit\nMax unmatched chars\tNo limit\nLine type\t\t\tDon't care\n"
         "Orientation mode\t\tAverage\nOrientation frame\t\tRelative\n"
         "Expected Orientation\t0.000 rad/0.000 deg (not used)\nLine break cost\t\t2.000\n" +
             costs},
        {custom, "Max lines\t\t3\nMax unmatched chars\tNo limit\nLine type\t\t\tCircular\n"
                 "Orientation mode\t\tSpecified\nOrientation frame\t\tAbsolute\n"
                 "Expected Orientation\t0.500 rad/28.648 deg (used)\nLine break cost\t\t0.250\n" +
                     costs},
    };
    for (const auto& [params, runParams] : cases) {
        xcDiagObject rec;
        xf_RecordArrangeInput_(&rec, kImage, makeMask({0, 0, 40, 30}), *alphabetOf(2), {20, 99},
                               params);
        EXPECT_EQ(
            texts(*rec.diagRecord(0)),
            (Strings{"Image info|Size:\t40 x 30\nOffset:\t0 x 0\n",
                     "Alphabet info|Number of characters: 2\nIndex\tKey\t\tName\tType\tSize\n"
                     "0\t0000000A\t'a'\teNormal\t10 x 12\n1\t00000014\t'b'\teNormal\t10 x 12\n",
                     "Target string|Number of characters: 2\nIndex\tKey\t\tName\tType\tSize\n"
                     "0\t00000014\t'b'\teNormal\t10 x 12\n"
                     "1\t00000063\tKey not found in alphabet!\n",
                     "Run params|" + runParams}));
        EXPECT_EQ(outline(rec),
                  (Strings{"OC Arranger: Input@0", "Runtime mask@1", "Alphabet general info@1",
                           "Character #0: 'a'@2", "Character #1: 'b'@2"}));
        EXPECT_EQ(rec.diagRecord(2)->annotations(), Strings{"Alphabet details"});
    }
    xcDiagObject rec;
    xf_RecordArrangeIntermediate_(&rec, kImage);
    EXPECT_EQ(outline(rec), Strings{"OC Arranger: Intermediate@0"});
}

TEST(OCArrangeDiag, BuildArrangement) {
    // Characters 'a', 'b', 'a', 'b': the first three on a straight line (matched, inferred,
    // matched), the last unknown on a line of its own.
    arrange_test::Scene s;
    s.alphabet = *alphabetOf(2);
    for (long key : {10, 20, 10, 20}) s.add(key, {}, {}, 10, 12);
    const xc_Pose placed = arrange_test::at(20, 10, 0, 2);
    s.poses = {{xc_Pose(), placed}, {}, {xc_Pose()}, {}};
    s.scores = {{0.9, 0.75}, {}, {0.85}, {}};
    const xc_ArrangePath path{{1, -1, 0, -1}, {0, 3}};
    xc_ArrangeFit fit;
    fit.matchTerm = 0.4, fit.unmatchedTerm = 1, fit.lineBreakTerm = 2, fit.normalTerm = 0.5;
    fit.tangentialTerm = 0.25, fit.orientationTerm = 0.75, fit.scaleTerm = 0.5;
    fit.spacingTerm = 0.1;
    const xcLineSeg segment({20, 10}, {60, 10});
    fit.lineTypes = {Defs::eStraight, Defs::eDontCare}, fit.lineSegments = {segment};
    fit.lineAngles = {xcRadian(xcDegree(30)), xcRadian(0)}, fit.lineScales = {1.5, 1.0};
    fit.tangentialErrors = {0.5, 0, 0.25, 0}, fit.normalErrors = {0.1, 0, 0.3, 0};
    fit.rotationErrors = {1.5, 0, 0.5, 0}, fit.scaleErrors = {-0.2, 0, 0.1, 0};
    const std::vector<Defs::CharStatus> statuses{Defs::eMatched, Defs::eInferred, Defs::eMatched,
                                                 Defs::eUnknown};
    const std::vector<xc_Pose> poses{placed, arrange_test::at(35, 10), xc_Pose(), xc_Pose()};
    xcDiagObject rec;
    xf_RecordBuildArrangement_(&rec, kImage, s.ctx(), path, fit, true, statuses, poses);
    ASSERT_EQ(outline(rec),
              (Strings{"Build arrangement@1", "Line #0 graphics@1", "Line #0 details@1",
                       "Line #1 graphics@1", "Line #1 details@1", "Arrangement cost@1"}));
    EXPECT_EQ(rec.diagRecord(2)->texts()[0].body(),
              "Line 0:\nStraight, 3 characters\nAverage angle: 30.00 degrees\nAerage scale: 1.50\n"
              "Cost details:\nIndex\tChar\tChoice\tMatch\tTan\tNorm\tRot\tScale\n"
              "0\t'a'\t1\t0.25\t0.50\t0.10\t1.50\t-0.20\n"
              "1\t'b'\t--\t0\tCharacter unmatched; pose inferred\n"
              "2\t'a'\t0\t0.15\t0.25\t0.30\t0.50\t0.10\n"
              "Normalized total\t\t0.60\t1.12\t0.60\t3.00\t-0.15\n");
    EXPECT_TRUE(rec.diagRecord(4)->texts()[0].body().ends_with(
        "3\t'b'\t--\t0\tCharacter unmatched; pose "
        "unknown\nNormalized total\t\t0.00\t0.00\t0.00\t0.00\t0.00\n"));
    // Total cost counts the match and spacing terms too.
    EXPECT_EQ(rec.diagRecord(5)->texts()[0].body(),
              "Best solution:\nLine break cost\t\t2.00\nUnmatched char cost\t1.00\n"
              "Normal trans cost\t\t0.50\nTangential trans cost\t0.25\nOrientation cost\t\t0.75\n"
              "Scale cost\t\t0.50\nTotal cost\t\t\t5.50\n");
    const xcGraphicList& line0 = rec.diagRecord(1)->graphics()[0].list();
    ASSERT_EQ(line0.size(), 10); // the segment, then area, stroke and point of three characters
    expectGraphic(line0, 0, segment, xcColor::eRed);
    expectGraphic(line0, 1, xcAffineRectangle({20, 10}, {40, 10}, {20, 34}), xcColor::eGreen);
    expectGraphic(line0, 2, xcLineSeg({20, 10}, {30, 10}), xcColor::eGreen); // half the width
    expectGraphic(line0, 4, xcAffineRectangle({35, 10}, {45, 10}, {35, 22}), xcColor::eOrange);
    EXPECT_TRUE(rec.diagRecord(3)->graphics()[0].list().empty()); // no model, nothing placed
    xcDiagObject rejected;
    xf_RecordBuildArrangement_(&rejected, kImage, s.ctx(), path, fit, false, statuses, poses);
    EXPECT_EQ(texts(*rejected.diagRecord(0)), Strings{"Arrangement cost|No valid solution found"});
    EXPECT_EQ(outline(rejected), Strings{"Arrangement cost@1"});
}

TEST(OCArrangeDiag, OutputRecords) {
    xcOCArrangeResults results = filled();
    Access::statusFlags(results).push_back(Defs::CharStatus(7));
    Access::scores(results).push_back(0.5);
    xcDiagObject rec;
    xf_RecordArrangeOutput_(&rec, kImage, *alphabetOf(2), {10, 20, 99}, results);
    ASSERT_EQ(outline(rec), (Strings{"OC Arranger: Output@0", "Details for line #0@1",
                                     "Arrangement graphics@0"}));
    EXPECT_EQ(texts(*rec.diagRecord(0)),
              Strings{"Overall info|isFound: true\nisSearchTruncated: false\n"
                      "clientFromArrangementXform: xcXform<2>(30,40): xcMatrix<2>[0,-2,2,0] "
                      "xRot=90.000 degrees  yRot=90.000 degrees  xScale=2.000 yScale=2.000\n"
                      "Number of characters: 3\nIndex\tStatus\t\tScore\tKey\t\tName\tType\tSize\n"
                      "0\teMatched \t0.875\t0000000A\t'a'\teNormal\t10 x 12\n"
                      "1\teInferred\t0.000\t00000014\t'b'\teNormal\t10 x 12\n"
                      "2\tBadEnumValue\t0.500\t00000063\tKey not found in alphabet!\n"
                      "Arrangement name: arr\nNumber of lines: 1\n"});
    const xcDiagRecord& line = *rec.diagRecord(1);
    const std::string details = texts(line).at(0);
    EXPECT_TRUE(details.starts_with("Details|Line pose: angle 0.000 degrees, translation "
                                    "(0.000, 0.000)\nNumber of positions: 2\nPosition #0\n"));
    EXPECT_TRUE(details.ends_with(
        "Position #1\n  Number of characters: 1\n    Character #0\n"
        "      Name: 'b'   Type: eNormal  Key: 00000014\n      Status: eInferred\n"
        "      Pose: angle 0.000 degrees, translation (12.000, 0.000)\n      Scale: 1.000\n"));
    // The arrangement's transform turns by 90 degrees, doubles and moves to (30, 40).
    EXPECT_EQ(line.graphics().at(0).title(), "Graphics");
    const xcGraphicList& list = line.graphics().at(0).list();
    ASSERT_EQ(list.size(), 3);
    expectGraphic(list, 0, xcAffineRectangle({30, 40}, {30, 60}, {6, 40}), xcColor::eGreen);
    expectGraphic(list, 1, xcAffineRectangle({30, 64}, {30, 84}, {6, 64}), xcColor::eOrange);
    expectGraphic(list, 2, xcAffineRectangle(xcRect(6, 40, 24, 44)), xcColor::eYellow);
    EXPECT_EQ(rec.diagRecord(2)->graphics()[0].list(), list);
}
