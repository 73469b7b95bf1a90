// Builders of the arranger's inputs shared by its tests: candidate poses, expected characters
// with their candidates, and run images of a text printed in rendered glyphs.
#pragma once

#include "oc/arrange/arrange.h"
#include "oc/arrange/arrange_context.h"
#include "oc/oc/alphabet.h"
#include "support/glyph_alphabet.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
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

using Keys = std::vector<long>;

const std::u32string kText = U"KR2P6A";

inline const oc_test::GlyphAlphabet& alphabet() {
    static const oc_test::GlyphAlphabet a(kText + U"BXZ");
    return a;
}

inline Keys keysOf(const std::u32string& s) {
    return Keys(s.begin(), s.end());
}

// Poses one advance apart through `centre`: on a straight line at angleDeg (radius 0), or on an
// arc of that radius read clockwise on screen, tops outwards (angleDeg 1), or counter-clockwise,
// tops inwards (angleDeg -1).
inline std::vector<xcXform<2>> placed(const Keys& keys, double angleDeg, xcVector<2> centre,
                                      double radius = 0.0) {
    double adv = 0.0;
    for (long k : keys) adv = std::max(adv, double(alphabet().glyph(k).trainWidth()));
    std::vector<xcXform<2>> out;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const double off = (double(i) - 0.5 * double(keys.size() - 1)) * adv;
        const double t =
            radius > 0 ? angleDeg * (off / radius - std::numbers::pi / 2) : angleDeg * kDeg;
        const xcVector<2> at =
            centre + xcVector<2>(std::cos(t), std::sin(t)) * (radius > 0 ? radius : off);
        const double turn = radius > 0 ? (t + angleDeg * std::numbers::pi / 2) : t;
        out.push_back(oc_test::placementPose(alphabet().glyph(keys[i]), turn / kDeg, 1.0, at));
    }
    return out;
}

struct Arranged {
    xcPelBuffer<unsigned char> image;
    xcOCArrangeResults results;
};

// Prints printed[i] (0: nothing) at poses[i], in the client frame `client` gives the image, and
// arranges `keys` (an unbound mask is no mask).
inline Arranged arrange(const Keys& keys, const Keys& printed, const std::vector<xcXform<2>>& poses,
                        const xcOCArrangeParams& params = {},
                        const xcPelBuffer_const<unsigned char>& mask = {},
                        const xcXform<2>& client = {}) {
    oc_test::Scene scene(320, 240);
    for (std::size_t i = 0; i < printed.size(); ++i)
        if (printed[i] != 0) scene.place(alphabet().glyph(printed[i]), client.inverse() * poses[i]);
    Arranged r;
    r.image = scene.finish(0.6, 2.0, 7);
    r.image.clientFromImageXform(client);
    xfOCArrange_(r.image, mask, *alphabet().alphabet(), keys, params, r.results, nullptr, 0);
    return r;
}

} // namespace arrange_test
