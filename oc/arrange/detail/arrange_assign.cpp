#include "oc/arrange/detail/arrange_assign.h"

#include "oc/oc/key_set.h"
#include "oc/oc/line.h"
#include "oc/oc/line_arrangement.h"

#include <cassert>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <string>

namespace oc_arrange_detail {
namespace {

using Defs = xcOCArrangeDefs;

std::size_t at(long i) {
    return static_cast<std::size_t>(i);
}

// The pose a matched character reports: its candidate, with the angle the line expects where
// the glyph cannot tell its own angle.
xc_Pose matchedPose(const xc_CharData& data, const xc_Pose& candidate, bool found,
                    const xcRadian& expectedAngle) {
    xc_Pose pose = candidate;
    if (!found) return pose;
    if (data.symmetry == xc_OCExtractDefs::eFullSymmetry) {
        pose.angle = expectedAngle;
    } else if (data.symmetry == xc_OCExtractDefs::e180Symmetry) {
        const double diff = (pose.angle - expectedAngle).signedNorm().toDouble();
        if (std::fabs(diff) > std::numbers::pi / 2)
            pose = xc_Pose(pose.xform() * data.rot180Pose.inverse());
    }
    return pose;
}

} // namespace

void assignPoses(const xc_ArrangeContext& ctx, const xc_ArrangePath& path, const xc_ArrangeFit& fit,
                 bool found, std::vector<Defs::CharStatus>& statuses, std::vector<double>& scores,
                 std::vector<xc_Pose>& poses) {
    const long n = ctx.numChars();
    statuses.assign(at(n), Defs::eUnknown);
    scores.assign(at(n), 0.0);
    poses.assign(at(n), xc_Pose());
    const xcRange& range = ctx.params.scaleRange();
    const double midScale = std::sqrt(range.start() * range.end());

    for (long l = 0; l < path.numLines(); ++l) {
        const long start = path.lineStarts[at(l)], end = path.lineEnd(l);
        const long length = end - start;
        assert(length == 1 || (path.choices[at(start)] >= 0 && path.choices[at(end - 1)] >= 0));
        for (long k = start; k < end; ++k) {
            const long c = path.choices[at(k)];
            if (c >= 0) {
                statuses[at(k)] = Defs::eMatched;
                scores[at(k)] = ctx.scores[at(k)][at(c)];
                const xcRadian expected = found ? fit.expectedAngles[at(k)] : xcRadian();
                poses[at(k)] =
                    matchedPose(ctx.charData[at(k)], ctx.poses[at(k)][at(c)], found, expected);
            } else if (length == 1 || !found) {
                poses[at(k)] = xc_Pose(xcVector<2>(), xcRadian(), midScale);
            } else {
                statuses[at(k)] = Defs::eInferred;
                poses[at(k)] = xc_Pose(fit.expectedPositions[at(k)], fit.expectedAngles[at(k)],
                                       fit.lineScales[at(l)]);
            }
        }
    }
}

void buildArrangement(const xc_ArrangeContext& ctx, const xcPtrHandle_const<xcOCAlphabet>& alphabet,
                      const xc_ArrangePath& path, const xc_ArrangeFit& fit, bool found,
                      const std::vector<xc_Pose>& finalPoses, xcOCArrangeResults& results) {
    const long n = ctx.numChars();
    assert(path.depth() == n);
    const xc2Rigid frame = n > 0 ? finalPoses[0].rigid() : xc2Rigid();
    const xc2Rigid frameInverse = frame.inverse();
    const bool withUncertainties = ctx.params.compPoseUncertainties() && found;

    xcOCLineArrangement::Lines lines;
    std::vector<xc2Rigid> linePoses;
    for (long l = 0; l < path.numLines(); ++l) {
        const long first = path.lineStarts[at(l)], end = path.lineEnd(l);
        const xc2Rigid firstRigid = finalPoses[at(first)].rigid();
        linePoses.push_back(l == 0 ? xc2Rigid() : frameInverse * firstRigid);
        const xc2Rigid lineInverse = firstRigid.inverse();

        std::vector<xcOCKeySet> keySets;
        std::vector<xc2Rigid> charPoses;
        std::vector<double> charScales, transUnc, scaleUnc;
        std::vector<xcRadian> rotUnc;
        for (long k = first; k < end; ++k) {
            const xc_Pose& pose = finalPoses[at(k)];
            keySets.emplace_back(std::vector<long>{ctx.keys[at(k)]}, 0L);
            charPoses.push_back(k == first ? xc2Rigid() : lineInverse * pose.rigid());
            charScales.push_back(pose.scale);
            if (withUncertainties) {
                transUnc.push_back(pose.translation.distance(fit.expectedPositions[at(k)]));
                rotUnc.emplace_back(xcDegree(fit.rotationErrors[at(k)] * 45.0));
                scaleUnc.push_back(fit.lineScales[at(l)] *
                                   std::fabs(std::exp2(fit.scaleErrors[at(k)]) - 1.0));
            } else {
                transUnc.push_back(0.0);
                rotUnc.emplace_back(0.0);
                scaleUnc.push_back(0.0);
            }
        }
        lines.emplace_back(new xcOCLine(keySets, alphabet, charPoses, charScales, transUnc, rotUnc,
                                        scaleUnc, "Line " + std::to_string(l)));
    }
    xc_OCArrangeResultsAccess::arrangement(results) = xcPtrHandle_const<xcOCLineArrangement>(
        new xcOCLineArrangement(lines, linePoses, 0.0, xcRadian(0.0), std::string()));
    xc_OCArrangeResultsAccess::clientFromArrangementXform(results) = frame.linear();
}

} // namespace oc_arrange_detail
