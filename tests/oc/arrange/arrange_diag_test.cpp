// The arranger's diagnostics records: titles, levels, texts and graphics.
#include "oc/arrange/arrange_diag.h"

#include "diag/diag_object.h"
#include "oc/oc/fixtures.h"

#include <gtest/gtest.h>

using namespace oc_test;

namespace {

using Defs = xcOCArrangeDefs;

const Image kImage = makeImage({0, 0, 40, 30});

std::vector<std::string> textTitles(const xcDiagRecord& r) {
    std::vector<std::string> titles;
    for (const xcDiagText& t : r.texts()) titles.push_back(t.title());
    return titles;
}

// "title@level" of every record, in order.
std::vector<std::string> outline(const xcDiagObject& rec) {
    std::vector<std::string> lines;
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

TEST(OCArrangeDiag, InputRecords) {
    xcOCArrangeParams custom;
    custom.maxLines(3);
    custom.maxUnmatchedChars(0);
    custom.lineType(Defs::eCircular);
    custom.orientationMode(Defs::eSpecified);
    custom.orientationReference(Defs::eAbsolute);
    custom.expectedOrientation(xcRadian(0.5));
    custom.lineBreakCost(0.25);
    const std::string costs = "Unmatched char cost\t1.000\nNormal trans cost\t\t1.000\n"
                              "Tangential trans cost\t1.000\nOrientation cost\t\t1.000\n"
                              "Scale cost\t\t1.000\n";
    const struct {
        xcOCArrangeParams params;
        std::string runParams;
    } cases[] = {
        {xcOCArrangeParams(),
         "Max lines\t\tNo limit\nMax unmatched chars\tNo limit\nLine type\t\t\tDon't care\n"
         "Orientation mode\t\tAverage\nOrientation frame\t\tRelative\n"
         "Expected Orientation\t0.000 rad/0.000 deg (not used)\nLine break cost\t\t2.000\n" +
             costs},
        {custom, "Max lines\t\t3\nMax unmatched chars\t0\nLine type\t\t\tCircular\n"
                 "Orientation mode\t\tSpecified\nOrientation frame\t\tAbsolute\n"
                 "Expected Orientation\t0.500 rad/28.648 deg (used)\nLine break cost\t\t0.250\n" +
                     costs},
    };
    for (const auto& c : cases) {
        xcDiagObject rec;
        xf_RecordArrangeInput_(&rec, kImage, makeMask({0, 0, 40, 30}), *alphabetOf(2), {20, 99},
                               c.params);
        const xcDiagRecord& input = *rec.diagRecord(0);
        ASSERT_EQ(textTitles(input), (std::vector<std::string>{"Image info", "Alphabet info",
                                                               "Target string", "Run params"}));
        EXPECT_EQ(input.texts()[0].body(), "Size:\t40 x 30\nOffset:\t0 x 0\n");
        EXPECT_TRUE(input.texts()[1].body().ends_with("\n1\t00000014\t'b'\teNormal\t10 x 12\n"));
        EXPECT_EQ(input.texts()[2].body(),
                  "Number of characters: 2\nIndex\tKey\t\tName\tType\tSize\n"
                  "0\t00000014\t'b'\teNormal\t10 x 12\n1\t00000063\tKey not found in alphabet!\n");
        EXPECT_EQ(input.texts()[3].body(), c.runParams);
        // The alphabet's general record, then its per-character records.
        EXPECT_EQ(outline(rec),
                  (std::vector<std::string>{"OC Arranger: Input@0", "Runtime mask@1",
                                            "Alphabet general info@1", "Character #0: 'a'@2",
                                            "Character #1: 'b'@2"}));
        EXPECT_EQ(rec.diagRecord(2)->annotations(), std::vector<std::string>{"Alphabet details"});
    }
    xcDiagObject rec;
    xf_RecordArrangeIntermediate_(&rec, kImage);
    EXPECT_EQ(rec.diagRecord(0)->title(), "OC Arranger: Intermediate");
}

TEST(OCArrangeDiag, BuildArrangement) {
    // Characters 'a', 'b', 'a', 'b': the first three on a straight line (matched, inferred,
    // matched), the last unknown on a line of its own.
    const AlphabetHandle alphabet = alphabetOf(2);
    const std::vector<long> keys{10, 20, 10, 20};
    std::vector<xc_CharData> charData(4);
    for (xc_CharData& d : charData) d.rect(xcAffineRectangle(xcRect(0, 0, 10, 12)));
    const xc_Pose placed({20, 10}, xcRadian(0), 2.0);
    const std::vector<std::vector<xc_Pose>> candidates{{xc_Pose(), placed}, {}, {xc_Pose()}, {}};
    const std::vector<std::vector<double>> scores{{0.9, 0.75}, {}, {0.85}, {}};
    const xcOCArrangeParams params;
    const xc_ArrangeContext ctx{*alphabet, keys, charData, candidates, scores, params};
    xc_ArrangePath path;
    path.choices = {1, -1, 0, -1};
    path.lineStarts = {0, 3};
    xc_ArrangeFit fit;
    fit.matchTerm = 0.4, fit.unmatchedTerm = 1, fit.lineBreakTerm = 2, fit.normalTerm = 0.5;
    fit.tangentialTerm = 0.25, fit.orientationTerm = 0.75, fit.scaleTerm = 0.5;
    fit.spacingTerm = 0.1;
    fit.lineTypes = {Defs::eStraight, Defs::eDontCare};
    const xcLineSeg segment({20, 10}, {60, 10});
    fit.lineSegments = {segment};
    fit.lineAngles = {xcRadian(xcDegree(30)), xcRadian(0)};
    fit.lineScales = {1.5, 1.0};
    fit.tangentialErrors = {0.5, 0, 0.25, 0};
    fit.normalErrors = {0.1, 0, 0.3, 0};
    fit.rotationErrors = {1.5, 0, 0.5, 0};
    fit.scaleErrors = {-0.2, 0, 0.1, 0};
    const std::vector<Defs::CharStatus> statuses{Defs::eMatched, Defs::eInferred, Defs::eMatched,
                                                 Defs::eUnknown};
    const std::vector<xc_Pose> poses{placed, xc_Pose({35, 10}, xcRadian(0), 1.0), xc_Pose(),
                                     xc_Pose()};

    xcDiagObject rec;
    xf_RecordBuildArrangement_(&rec, kImage, ctx, path, fit, true, statuses, poses);
    ASSERT_EQ(rec.numRecords(), 6);
    EXPECT_EQ(outline(rec), (std::vector<std::string>{"Build arrangement@1", "Line #0 graphics@1",
                                                      "Line #0 details@1", "Line #1 graphics@1",
                                                      "Line #1 details@1", "Arrangement cost@1"}));
    EXPECT_EQ(rec.diagRecord(2)->texts()[0].body(),
              "Line 0:\nStraight, 3 characters\nAverage angle: 30.00 degrees\nAerage scale: 1.50\n"
              "Cost details:\nIndex\tChar\tChoice\tMatch\tTan\tNorm\tRot\tScale\n"
              "0\t'a'\t1\t0.25\t0.50\t0.10\t1.50\t-0.20\n"
              "1\t'b'\t--\t0\tCharacter unmatched; pose inferred\n"
              "2\t'a'\t0\t0.15\t0.25\t0.30\t0.50\t0.10\n"
              "Normalized total\t\t0.60\t1.12\t0.60\t3.00\t-0.15\n");
    EXPECT_NE(rec.diagRecord(4)->texts()[0].body().find(
                  "3\t'b'\t--\t0\tCharacter unmatched; pose "
                  "unknown\nNormalized total\t\t0.00\t0.00\t0.00\t0.00\t0.00\n"),
              std::string::npos);
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
    EXPECT_TRUE(line0.at(3).equals(xcGraphicPointIcon({20, 10}, xcGraphicProps(xcColor::eYellow))));
    expectGraphic(line0, 4, xcAffineRectangle({35, 10}, {45, 10}, {35, 22}), xcColor::eOrange);
    EXPECT_TRUE(rec.diagRecord(3)->graphics()[0].list().empty()); // no model, nothing placed

    xcDiagObject rejected;
    xf_RecordBuildArrangement_(&rejected, kImage, ctx, path, fit, false, statuses, poses);
    ASSERT_EQ(outline(rejected), std::vector<std::string>{"Arrangement cost@1"});
    EXPECT_EQ(rejected.diagRecord(0)->texts()[0].body(), "No valid solution found");

    // Without a recorder nothing happens.
    xf_RecordArrangeInput_(nullptr, kImage, Image(), *alphabet, keys, params);
    xf_RecordArrangeIntermediate_(nullptr, kImage);
    xf_RecordBuildArrangement_(nullptr, kImage, ctx, path, fit, true, statuses, poses);
    xf_RecordArrangeOutput_(nullptr, kImage, *alphabet, keys, xcOCArrangeResults());
}

TEST(OCArrangeDiag, OutputRecords) {
    const AlphabetHandle alphabet = alphabetOf(2);
    xcOCArrangeResults results;
    using Access = xc_OCArrangeResultsAccess;
    Access::isFound(results) = true;
    Access::clientFromArrangementXform(results) = xcXform<2>(xcMatrix<2>(0, -2, 2, 0), {30, 40});
    Access::statusFlags(results) = {Defs::eMatched, Defs::eInferred, Defs::CharStatus(7)};
    Access::scores(results) = {0.875, 0.0, 0.5};
    const xcOCLineArrangement::Lines oneLine{xcPtrHandle_const<xcOCLine>(new xcOCLine(
        {xcOCKeySet({10}, 0), xcOCKeySet({20}, 0)}, alphabet,
        {xc2Rigid(), xc2Rigid(xcRadian(0), {12, 0})}, 1.0, 0.0, xcRadian(0), 0.0, "Line 0"))};
    Access::arrangement(results) = xcPtrHandle_const<xcOCLineArrangement>(new xcOCLineArrangement(
        oneLine, std::vector<xc2Rigid>{xc2Rigid()}, 0.0, xcRadian(0), "arr"));

    xcDiagObject rec;
    xf_RecordArrangeOutput_(&rec, kImage, *alphabet, {10, 20, 99}, results);
    ASSERT_EQ(outline(rec),
              (std::vector<std::string>{"OC Arranger: Output@0", "Details for line #0@1",
                                        "Arrangement graphics@0"}));
    const xcDiagRecord& output = *rec.diagRecord(0);
    ASSERT_EQ(textTitles(output), std::vector<std::string>{"Overall info"});
    EXPECT_EQ(output.texts()[0].body(),
              "isFound: true\nisSearchTruncated: false\n"
              "clientFromArrangementXform: xcXform<2>(30,40): xcMatrix<2>[0,-2,2,0] xRot=90.000 "
              "degrees  yRot=90.000 degrees  xScale=2.000 yScale=2.000\n"
              "Number of characters: 3\nIndex\tStatus\t\tScore\tKey\t\tName\tType\tSize\n"
              "0\teMatched \t0.875\t0000000A\t'a'\teNormal\t10 x 12\n"
              "1\teInferred\t0.000\t00000014\t'b'\teNormal\t10 x 12\n"
              "2\tBadEnumValue\t0.500\t00000063\tKey not found in alphabet!\n"
              "Arrangement name: arr\nNumber of lines: 1\n");

    const xcDiagRecord& line = *rec.diagRecord(1);
    ASSERT_EQ(textTitles(line), std::vector<std::string>{"Details"});
    const std::string& details = line.texts()[0].body();
    EXPECT_TRUE(details.starts_with("Line pose: angle 0.000 degrees, translation (0.000, 0.000)\n"
                                    "Number of positions: 2\nPosition #0\n"));
    EXPECT_NE(
        details.find("Position #1\n  Number of characters: 1\n    Character #0\n"
                     "      Name: 'b'   Type: eNormal  Key: 00000014\n      Status: eInferred\n"
                     "      Pose: angle 0.000 degrees, translation (12.000, 0.000)\n"
                     "      Scale: 1.000\n"),
        std::string::npos);
    // The arrangement's transform turns by 90 degrees, doubles and moves to (30, 40).
    EXPECT_EQ(line.graphics().at(0).title(), "Graphics");
    const xcGraphicList& list = line.graphics().at(0).list();
    ASSERT_EQ(list.size(), 3);
    expectGraphic(list, 0, xcAffineRectangle({30, 40}, {30, 60}, {6, 40}), xcColor::eGreen);
    expectGraphic(list, 1, xcAffineRectangle({30, 64}, {30, 84}, {6, 64}), xcColor::eOrange);
    expectGraphic(list, 2, xcAffineRectangle(xcRect(6, 40, 24, 44)), xcColor::eYellow);

    EXPECT_EQ(rec.diagRecord(2)->graphics()[0].list(), list);
}
