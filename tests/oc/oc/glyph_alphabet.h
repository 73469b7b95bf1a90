// Character models rendered from DejaVu Sans Mono into 24 x 28 cells (baseline y = 24,
// capitals 20 pels high), for the compilation tests and benchmark.
#pragma once

#include "oc/oc/alphabet.h"
#include "support/glyph_render.h"

#include <cmath>

namespace oc_test {

// With a blank, the 41-character alphabet.
inline const std::u32string kCompileChars = U"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-/:.";
constexpr long kCellW = 24, kCellH = 28;

// How a mark sits in its cell, in capital heights: its ink height and how far its middle stands
// above the baseline (y = 24). Glyphs render to their ink box, so the marks are sized and raised
// by these.
struct CellMark {
    double height = 1.0, above = 0.5;
};
inline CellMark cellMark(char32_t ch) {
    switch (ch) {
    case U'-':
        return {0.13, 0.4};
    case U'.':
        return {0.15, 0.075};
    case U':':
        return {0.72, 0.36};
    case U'/':
        return {1.25, 0.45};
    default:
        return {};
    }
}

// Paints a glyph rendered for `ch` into the scene in the cell that sceneFromCell (a turn by
// angleDeg and a scale by `scale`) places, moved by `shift` cell pels.
inline void placeInCell(Scene& scene, const GlyphImage& glyph, char32_t ch,
                        const xcXform<2>& sceneFromCell, double angleDeg, double scale,
                        xcVector<2> shift = {}) {
    const CellMark mark = cellMark(ch);
    scene.place(
        glyph, angleDeg, scale * mark.height * 20.0 / glyph.inkHeight(),
        sceneFromCell.mapPoint(xcVector<2>(0.5 * kCellW, 24.0 - mark.above * 20.0) + shift));
}

// The glyph scaled by `scale`, turned by angleDeg about the cell's centre and moved by `shift`
// cell pels, in an imageW x imageH image centred on the cell's centre, whose clientFromImage
// undoes scale and turn.
inline xcPtrHandle_const<xcOCModel> glyphModel(char32_t ch, long key, double scale = 1.0,
                                               double angleDeg = 0.0, xcVector<2> shift = {},
                                               long imageW = kCellW, long imageH = kCellH) {
    const GlyphImage glyph(kMonoFont, ch, 40.0);
    const double a = angleDeg * 3.14159265358979323846 / 180.0;
    const xcMatrix<2> turn(scale * std::cos(a), -scale * std::sin(a), scale * std::sin(a),
                           scale * std::cos(a));
    const xcXform<2> imageFromCell(turn, xcVector<2>(0.5 * imageW, 0.5 * imageH) -
                                             turn * xcVector<2>(0.5 * kCellW, 0.5 * kCellH));
    Scene scene(imageW, imageH);
    placeInCell(scene, glyph, ch, imageFromCell, angleDeg, scale, shift);
    xcPelBuffer<unsigned char> image = scene.finish(0.5, 0.0, 1);
    image.clientFromImageXform(imageFromCell.inverse());
    return xcPtrHandle_const<xcOCModel>(new xcOCModel(key, image, xcPelRect(0, 0, imageW, imageH),
                                                      xcOCModel::eNormal, {char(ch)}, ""));
}

// Blanks (cell-sized areas) keyed 32, 33, ..., then the characters keyed by their codes.
inline xcOCAlphabet::Models glyphModels(const std::u32string& chars, int blanks) {
    xcOCAlphabet::Models models;
    for (int b = 0; b < blanks; ++b)
        models.emplace_back(
            new xcOCModel(32 + b, {}, xcPelRect(0, 0, kCellW, kCellH), xcOCModel::eBlank, " ", ""));
    for (char32_t ch : chars) models.push_back(glyphModel(ch, long(ch)));
    return models;
}

} // namespace oc_test
