// Helpers shared by the sub-model tool's tests: glyph models, images built from them with known
// placements, and runs with the parameters alphabet compilation uses.
#pragma once

#include "submodel/submodel_tool.h"
#include "support/glyph_render.h"

#include <algorithm>

namespace submodel_test {

// A paper-coloured image with the given window; identity transforms.
inline xcPelBuffer<unsigned char> paper(const xcPelRect& window, unsigned char value = 200) {
    xcPelBuffer<unsigned char> b(window);
    for (long j = 0; j < b.height(); ++j) std::fill_n(b.rowPointer(j), b.width(), value);
    return b;
}

// Copies src's window into dst so that src's window pel (0, 0) lands on dst's window pel
// (dx, dy); pels falling outside dst are dropped.
inline void paste(const xcPelBuffer_const<unsigned char>& src, xcPelBuffer<unsigned char>& dst,
                  long dx, long dy) {
    for (long j = 0; j < src.height(); ++j)
        for (long i = 0; i < src.width(); ++i) {
            const long x = i + dx, y = j + dy;
            if (x >= 0 && y >= 0 && x < dst.width() && y < dst.height())
                *dst.pointToPel(x, y) = *src.pointToPel(i, j);
        }
}

// The run parameters of alphabet compilation for a w x h model: accept everything, the centre
// of the model kept inside the image, the search spanning (ux, uy).
inline xcSubModelCorRunParams compileParams(long w, long h, double ux, double uy) {
    const long we = w + (w % 2), he = h + (h % 2);
    xcSubModelCorRunParams p;
    p.acceptThreshold(0.0);
    p.zoneEnable(0);
    p.partialMatch(xcPelRect(-we / 2, -he / 2, we, he));
    p.xyUncertainty(xcVector<2>(ux, uy));
    return p;
}

inline xc_SubModelTool trained(const xcSubModel& model) {
    xc_SubModelTool tool;
    xcSubModelCorTrainParams tp;
    tp.coarseGrainLimit(1.0);
    tp.zoneAllowed(0);
    tool.train(model, tp, nullptr, 0);
    return tool;
}

// Runs with an identity start pose held by a handle, as alphabet compilation does.
inline xc_SubModelResultSet run(const xc_SubModelTool& tool,
                                const xcPelBuffer_const<unsigned char>& image,
                                const xcSubModelCorRunParams& params,
                                const xcXform<2>& start = xcXform<2>()) {
    const xcXformHandle startPose = std::make_shared<const xc2XformLinear>(start);
    std::vector<xcVector<2>> points;
    xc_SubModelResultSet rs;
    tool.run(image, *startPose, params, points, rs, nullptr, 0);
    return rs;
}

inline xcXform<2> bestPose(const xc_SubModelResultSet& rs) {
    return rs.results().at(0).pose()->linearXform(xcVector<2>(0.0, 0.0));
}

} // namespace submodel_test
