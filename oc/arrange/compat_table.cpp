#include "oc/arrange/compat_table.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <numbers>

namespace {

constexpr double kMaxAngleDiffRad = 30.0 * std::numbers::pi / 180.0;

double largestDiagonal(const xc_CharData& a, const xc_CharData& b) {
    return std::max(
        {a.diagonalA().len(), a.diagonalB().len(), b.diagonalA().len(), b.diagonalB().len()});
}

// How far apart two candidates' angles are, taking the characters' symmetry into account: a
// fully symmetric character fits any angle, a half-turn symmetric one fits modulo 180 degrees.
double angleErrorRad(xc_OCExtractDefs::Symmetry sa, xc_OCExtractDefs::Symmetry sb, xcRadian delta) {
    if (sa == xc_OCExtractDefs::eFullSymmetry || sb == xc_OCExtractDefs::eFullSymmetry) return 0.0;
    if (sa == xc_OCExtractDefs::eNoSymmetry && sb == xc_OCExtractDefs::eNoSymmetry)
        return std::fabs(delta.signedNorm().toDouble());
    return 0.5 * std::fabs((2.0 * delta).signedNorm().toDouble());
}

} // namespace

xc_CompatTable::xc_CompatTable(const std::vector<xc_CharData>& charData,
                               const std::vector<std::vector<xc_Pose>>& poses) {
    assert(charData.size() == poses.size());
    const std::size_t n = poses.size();
    if (n < 2) return;
    table_.resize(n - 1);
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const std::vector<xc_Pose>& as = poses[i];
        const std::vector<xc_Pose>& bs = poses[i + 1];
        auto& rows = table_[i];
        rows.assign(as.size(), std::vector<bool>(bs.size(), false));
        if (as.empty() || bs.empty()) continue;
        const double maxDistance = 2.0 * largestDiagonal(charData[i], charData[i + 1]);
        const auto symA = charData[i].symmetry, symB = charData[i + 1].symmetry;
        for (std::size_t a = 0; a < as.size(); ++a) {
            // B's pose in A's frame: its offset from A turned into A's frame and divided by A's
            // scale, so the allowed distance grows with the scale A was found at.
            const xcXform<2> aInverse = as[a].xform().inverse();
            for (std::size_t b = 0; b < bs.size(); ++b) {
                const xcXform<2> relative = aInverse * bs[b].xform();
                if (relative.trans().len() > maxDistance) continue;
                rows[a][b] =
                    angleErrorRad(symA, symB, bs[b].angle - as[a].angle) <= kMaxAngleDiffRad;
            }
        }
    }
}

bool xc_CompatTable::compatible(long i, long a, long b) const {
    return table_[static_cast<std::size_t>(i)][static_cast<std::size_t>(a)]
                 [static_cast<std::size_t>(b)];
}
