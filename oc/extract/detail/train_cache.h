// What training learned about a character image, kept per thread for the next search.
#pragma once

#include "core/geom/xform.h"
#include "core/image/pel_buffer.h"
#include "foundation/export.h"
#include "oc/extract/extract_defs.h"

#include <memory>
#include <utility>

class xcAlignPattern;

// The outcome of training one character image (windowed to its area) with given grain limits:
// the pattern, or none when the image was refused, with its edge score, and once classified its
// symmetry and 180-degree self-pose. Training and classification are deterministic, so a kept
// outcome stands for a new training of the same pels.
struct xc_OCTrainedChar {
    std::shared_ptr<const xcAlignPattern> pattern;
    double edgeScore = 0.0;
    bool classified = false;
    xc_OCExtractDefs::Symmetry symmetry = xc_OCExtractDefs::eNoSymmetry;
    xcXform<2> rot180Pose;
};

// The outcome kept on this thread for an image with the same window, client-from-image
// transform and pels, trained with the same grain settings (automatic, or the same limits); null
// when there is none.
OC_API std::shared_ptr<xc_OCTrainedChar>
xf_OCFindTrainedChar(const xcPelBuffer_const<unsigned char>& area, bool autoGrain,
                     const std::pair<double, double>& grains);

// Keeps a new outcome for the image on this thread (the least recently used of 64 gives way)
// and returns it for filling in.
OC_API std::shared_ptr<xc_OCTrainedChar>
xf_OCKeepTrainedChar(const xcPelBuffer_const<unsigned char>& area, bool autoGrain,
                     const std::pair<double, double>& grains);

// Forgets the outcomes kept on the calling thread.
OC_API void xf_OCTrainedCharCacheClear();
