// Alphabets of rendered glyphs and run images of strings printed with them, with known truth.
#pragma once

#include "core/geom/angle.h"
#include "oc/oc/alphabet.h"
#include "support/glyph_render.h"

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace oc_test {

// Characters keyed by their code, rendered upright at one height; each model's image is the
// glyph's train image (identity transforms) and its image area the whole window.
class GlyphAlphabet {
public:
    explicit GlyphAlphabet(const std::u32string& chars, double heightPx = 24.0,
                           const char* font = kSansFont) {
        xcOCAlphabet::Models models;
        for (char32_t c : chars) {
            auto g = std::make_unique<GlyphImage>(font, c, heightPx);
            const xcPelBuffer_const<unsigned char> img(g->trainImage());
            models.push_back(xcPtrHandle_const<xcOCModel>(new xcOCModel(
                long(c), img, img.window(), xcOCModel::eNormal, std::string(1, char(c)), "")));
            glyphs_[long(c)] = std::move(g);
        }
        alphabet_ = xcPtrHandle_const<xcOCAlphabet>(new xcOCAlphabet(models, 0.5, false, "glyphs"));
    }
    const xcPtrHandle_const<xcOCAlphabet>& alphabet() const { return alphabet_; }
    const GlyphImage& glyph(long key) const { return *glyphs_.at(key); }

private:
    std::map<long, std::unique_ptr<GlyphImage>> glyphs_;
    xcPtrHandle_const<xcOCAlphabet> alphabet_;
};

// Prints the keys on a straight line through `centre` at angleDeg (each glyph turned by it
// too), scaled, one glyph train width apart. Returns the placements' poses in key order.
inline std::vector<xcXform<2>> printLine(Scene& scene, const GlyphAlphabet& a,
                                         const std::vector<long>& keys, double angleDeg,
                                         double scale, const xcVector<2>& centre) {
    double advance = 0.0;
    for (long k : keys) advance = std::max(advance, double(a.glyph(k).trainWidth()));
    advance *= scale;
    const double t = angleDeg * M_PI / 180.0;
    const xcVector<2> dir(std::cos(t), std::sin(t));
    std::vector<xcXform<2>> poses;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const double along = (double(i) - 0.5 * double(keys.size() - 1)) * advance;
        poses.push_back(scene.place(a.glyph(keys[i]), angleDeg, scale, centre + dir * along).pose);
    }
    return poses;
}

// The turn of a pose's matrix in degrees, in [-180, 180).
inline double angleOf(const xcXform<2>& x) {
    return xcDegree(x.xRot()).signedNorm().toDouble();
}

// Angle difference in degrees, in [-180, 180).
inline double angleDiff(double a, double b) {
    return xcDegree(a - b).signedNorm().toDouble();
}

} // namespace oc_test
