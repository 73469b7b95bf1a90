// The 41-character alphabet the limit and soak benchmarks arrange with (digits, capitals, '-',
// '/', ':', '.' rendered from DejaVu Sans Mono in 24 x 28 cells, and a blank keyed 32), and run
// images of lines of text printed with the same glyphs.
#pragma once

#include "oc/oc/glyph_alphabet.h"

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace oc_bench {

// The models with their client origin in the middle of the cell, where the arranger fits its
// lines; the blank has the cell's size and no image.
inline xcPtrHandle_const<xcOCAlphabet> cellAlphabet() {
    const xcXform<2> centred(xcMatrix<2>(),
                             xcVector<2>(-0.5 * oc_test::kCellW, -0.5 * oc_test::kCellH));
    xcOCAlphabet::Models models;
    for (const auto& m : oc_test::glyphModels(oc_test::kCompileChars, 1)) {
        if (m->charType() == xcOCModel::eBlank) {
            models.push_back(m);
            continue;
        }
        xcPelBuffer_const<unsigned char> image = m->image();
        image.clientFromImageXform(centred);
        models.emplace_back(
            new xcOCModel(m->key(), image, m->imageArea(), xcOCModel::eNormal, m->name(), ""));
    }
    return xcPtrHandle_const<xcOCAlphabet>(new xcOCAlphabet(models, 0.5, false, "cells"));
}

// Prints lines of the alphabet's characters into scenes, as the models show them.
class LinePrinter {
public:
    LinePrinter() {
        for (char32_t c : oc_test::kCompileChars)
            glyphs_[c] = std::make_unique<oc_test::GlyphImage>(oc_test::kMonoFont, c, 40.0);
    }

    // Prints `text` cell after cell along a line turned by angleDeg, the cells scaled by `scale`
    // and the first cell's middle at `first`; a space leaves its cell empty. Returns the keys.
    std::vector<long> print(oc_test::Scene& scene, const std::u32string& text, double angleDeg,
                            double scale, const xcVector<2>& first) const {
        const double a = angleDeg * 3.14159265358979323846 / 180.0;
        const xcMatrix<2> turn(scale * std::cos(a), -scale * std::sin(a), scale * std::sin(a),
                               scale * std::cos(a));
        const xcVector<2> cellMiddle(0.5 * oc_test::kCellW, 0.5 * oc_test::kCellH);
        std::vector<long> keys;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const xcVector<2> middle =
                first + turn * xcVector<2>(double(i) * double(oc_test::kCellW), 0.0);
            const xcXform<2> sceneFromCell(turn, middle - turn * cellMiddle);
            if (text[i] != U' ')
                oc_test::placeInCell(scene, *glyphs_.at(text[i]), text[i], sceneFromCell, angleDeg,
                                     scale);
            keys.push_back(long(text[i]));
        }
        return keys;
    }

    // `length` characters drawn from the alphabet, with a space (the blank) in one of the inner
    // cells when `withBlank`.
    static std::u32string randomText(oc_test::Rng& rng, std::size_t length, bool withBlank) {
        std::u32string text;
        for (std::size_t i = 0; i < length; ++i)
            text += oc_test::kCompileChars[rng.next() % oc_test::kCompileChars.size()];
        if (withBlank && length > 2) text[1 + rng.next() % (length - 2)] = U' ';
        return text;
    }

private:
    std::map<char32_t, std::unique_ptr<oc_test::GlyphImage>> glyphs_;
};

} // namespace oc_bench
