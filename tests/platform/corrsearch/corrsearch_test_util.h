// Helpers of the correlation search tests: models trained on rendered glyphs and run settings.
#pragma once

#include "corrsearch/corrsearch_defs.h"
#include "corrsearch/corrsearch_model.h"
#include "support/glyph_render.h"

namespace cs_test {

inline xcCorrSearchModel trained(const xcPelBuffer_const<unsigned char>& image,
                                 long algorithms = 8) {
    xcCorrSearchTrainParams tp;
    tp.algorithms(algorithms);
    xcCorrSearchModel m;
    m.train(image, tp, nullptr, 0);
    return m;
}

inline xcCorrSearchRunParams runParams(double accept, short maxResults, long algorithm = 8,
                                       double xyOverlap = 0.3) {
    xcCorrSearchRunParams p(algorithm);
    p.accept(accept);
    p.maxNumResults(maxResults);
    p.xyOverlap(xyOverlap);
    return p;
}

inline std::vector<xcCorrSearchResult> run(const xcCorrSearchModel& m,
                                           const xcPelBuffer_const<unsigned char>& image,
                                           const xcCorrSearchRunParams& p) {
    return m.run(image, p, xcPelRect(0, 0, 1, 1), nullptr, 0);
}

// Where the train image's client origin (its pel (0, 0) corner) lands for a glyph placed at
// `centre` upright and unscaled.
inline xcVector<2> originAt(const oc_test::GlyphImage& g, const xcVector<2>& centre) {
    return oc_test::placementPose(g, 0.0, 1.0, centre).mapPoint(xcVector<2>(0.0, 0.0));
}

} // namespace cs_test
