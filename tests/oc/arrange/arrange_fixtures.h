// Builders of the arranger's inputs shared by its unit tests: candidate poses and expected
// characters with their candidates.
#pragma once

#include "oc/arrange/arrange_context.h"
#include "oc/oc/alphabet.h"

#include <numbers>
#include <utility>
#include <vector>

namespace arrange_test {

constexpr double kDeg = std::numbers::pi / 180.0;

inline xc_Pose at(double x, double y = 0, double angleDeg = 0, double scale = 1) {
    return xc_Pose({x, y}, xcRadian(angleDeg * kDeg), scale);
}

// Expected characters whose width x height model box has its corner at the client origin, each
// with its candidates, best first; missing scores are 1.
struct Scene {
    xcOCAlphabet alphabet;
    std::vector<long> keys;
    std::vector<xc_CharData> chars;
    std::vector<std::vector<xc_Pose>> poses;
    std::vector<std::vector<double>> scores;
    xcOCArrangeParams params;
    bool isFlipped = false;

    xc_CharData& add(long key, std::vector<xc_Pose> p, std::vector<double> s = {},
                     double width = 10, double height = 10) {
        keys.push_back(key);
        xc_CharData& c = chars.emplace_back();
        c.rect(xcAffineRectangle({0, 0}, {width, 0}, {0, height}));
        c.numCandidates = static_cast<long>(p.size());
        c.hasCandidates = !p.empty();
        s.resize(p.size(), 1.0);
        poses.push_back(std::move(p));
        scores.push_back(std::move(s));
        return c;
    }
    xc_ArrangeContext ctx() const {
        return {alphabet, keys, chars, poses, scores, params, isFlipped};
    }
};

} // namespace arrange_test
