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

// The glyph scaled by `scale`, turned by angleDeg about the cell's centre and moved by `shift`
// cell pels, in an imageW x imageH image centred on the cell's centre, whose clientFromImage
// undoes scale and turn. Glyphs render to their ink box, so the marks are sized and raised here.
inline xcPtrHandle_const<xcOCModel> glyphModel(char32_t ch, long key, double scale = 1.0,
                                               double angleDeg = 0.0, xcVector<2> shift = {},
                                               long imageW = kCellW, long imageH = kCellH) {
    const double height = ch == U'-'   ? 0.13
                          : ch == U'.' ? 0.15
                          : ch == U':' ? 0.72
                          : ch == U'/' ? 1.25
                                       : 1.0;
    const double above = ch == U'-'   ? 0.4
                         : ch == U'.' ? 0.075
                         : ch == U':' ? 0.36
                         : ch == U'/' ? 0.45
                                      : 0.5;
    const GlyphImage glyph(kMonoFont, ch, 40.0);
    const double a = angleDeg * 3.14159265358979323846 / 180.0;
    const xcMatrix<2> turn(scale * std::cos(a), -scale * std::sin(a), scale * std::sin(a),
                           scale * std::cos(a));
    const xcXform<2> imageFromCell(turn, xcVector<2>(0.5 * imageW, 0.5 * imageH) -
                                             turn * xcVector<2>(0.5 * kCellW, 0.5 * kCellH));
    Scene scene(imageW, imageH);
    scene.place(glyph, angleDeg, scale * height * 20.0 / glyph.inkHeight(),
                imageFromCell.mapPoint(xcVector<2>(0.5 * kCellW, 24.0 - above * 20.0) + shift));
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
