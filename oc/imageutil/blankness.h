// How much structure an image shows inside a character's rectangle.
#pragma once

#include "core/geom/rect.h"
#include "core/geom/xform.h"
#include "core/image/pel_buffer.h"
#include "foundation/export.h"

// Samples `rect` (pel coordinates of modelImage, whose clientFromImage alone is used) from
// `image` through xform x modelImage's clientFromImage with xfAffineTransformWithClipping, then
// correlates the sample's middle (2 pels in from every side) with the whole sample at the
// 5 x 5 shifts of up to 2 pels. The care mask is the sample's mask, the part `rect` of modelMask,
// or their pelwise minimum; 128 or more is cared for.
//
// Returns, in this order:
// - 1.0 when rect is narrower or lower than 5 pels (there is no middle), or no pel of the middle
//   is cared for;
// - 0.0 when the cared-for pels of the middle have a grey variance of 1.0 or less (flat);
// - otherwise the mean of the absolute values of the 25 scores of xf_corr_score in mode 2, which
//   are 1000 times the correlation coefficient: a patch with strokes scores up to 1000.
// A rect wider or higher than 32767 pels, or a bound modelMask that does not contain rect,
// throws xcOCDefs::BadParams.
OC_API double xfScoreBlankness(const xcPelBuffer_const<unsigned char>& image,
                               const xcPelBuffer_const<unsigned char>& imageMask,
                               const xcXform<2>& xform,
                               const xcPelBuffer_const<unsigned char>& modelImage,
                               const xcPelRect& rect,
                               const xcPelBuffer_const<unsigned char>& modelMask);
