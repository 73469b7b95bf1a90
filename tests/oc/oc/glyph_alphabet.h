// Character models rendered from a font into equal cells, with known shifts, scales and turns,
// for the compilation tests and benchmark.
#pragma once

#include "oc/oc/alphabet.h"
#include "oc/oc/model.h"
#include "support/glyph_render.h"

#include <cmath>
#include <string>

namespace oc_test {

// Digits, capitals, '-', '/', ':' and '.'; with a blank they make the 41-character alphabet.
inline const std::u32string kCompileChars = U"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-/:.";

// DejaVu Sans Mono in cells of 24 x 28 pels with the baseline at y = 24 and capitals 20 pels high.
constexpr long kCellW = 24, kCellH = 28;
constexpr double kBaseline = 24.0, kCapHeight = 20.0;

// Ink height and the height of the ink's centre above the baseline, in cap heights: glyphs are
// rendered to their ink box, so the small marks are scaled down and raised to where a font
// draws them.
inline void inkOf(char32_t ch, double& height, double& centreAbove) {
    height = 1.0, centreAbove = 0.5;
    if (ch == U'-') height = 0.13, centreAbove = 0.4;
    if (ch == U'.') height = 0.15, centreAbove = 0.075;
    if (ch == U':') height = 0.72, centreAbove = 0.36;
    if (ch == U'/') height = 1.25, centreAbove = 0.45;
}

// The glyph drawn in a cell scaled by `scale` and turned by angleDeg about the cell's centre and
// moved by `shift` (cell pels), in an image of `imageW` x `imageH` pels whose centre the cell's
// centre lands on. The image's clientFromImage undoes scale and turn, so client coordinates are
// the upright cell's.
inline xcPtrHandle_const<xcOCModel> glyphModel(char32_t ch, long key, double scale = 1.0,
                                               double angleDeg = 0.0,
                                               const xcVector<2>& shift = xcVector<2>(),
                                               long imageW = kCellW, long imageH = kCellH) {
    double height = 0, above = 0;
    inkOf(ch, height, above);
    const GlyphImage glyph(kMonoFont, ch, 40.0);
    const xcVector<2> cellCentre(0.5 * kCellW, 0.5 * kCellH);
    const xcVector<2> inkCentre(0.5 * kCellW, kBaseline - above * kCapHeight);
    // Cell coordinates to image pels: turn and scale about the cell's centre.
    const double a = angleDeg * 3.14159265358979323846 / 180.0;
    const xcMatrix<2> turn(scale * std::cos(a), -scale * std::sin(a), scale * std::sin(a),
                           scale * std::cos(a));
    const xcXform<2> imageFromCell(turn,
                                   xcVector<2>(0.5 * imageW, 0.5 * imageH) - turn * cellCentre);
    const double glyphScale = height * kCapHeight / glyph.inkHeight();
    Scene scene(imageW, imageH);
    scene.place(glyph, angleDeg, scale * glyphScale, imageFromCell.mapPoint(inkCentre + shift));
    xcPelBuffer<unsigned char> image = scene.finish(0.5, 0.0, 1);
    image.clientFromImageXform(imageFromCell.inverse());
    std::string name;
    name += ch < 128 ? char(ch) : '?';
    return xcPtrHandle_const<xcOCModel>(new xcOCModel(key, image, xcPelRect(0, 0, imageW, imageH),
                                                      xcOCModel::eNormal, name, "rendered"));
}

// A blank with the cell as its area.
inline xcPtrHandle_const<xcOCModel> blankModel(long key) {
    return xcPtrHandle_const<xcOCModel>(new xcOCModel(key, xcPelBuffer_const<unsigned char>(),
                                                      xcPelRect(0, 0, kCellW, kCellH),
                                                      xcOCModel::eBlank, " ", "blank"));
}

// The given characters keyed by their codes, then a blank with key 32 when asked.
inline xcOCAlphabet::Models glyphModels(const std::u32string& chars, bool withBlank) {
    xcOCAlphabet::Models models;
    for (char32_t ch : chars) models.push_back(glyphModel(ch, long(ch)));
    if (withBlank) models.push_back(blankModel(32));
    return models;
}

} // namespace oc_test
