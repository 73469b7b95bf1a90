// Detection of the box around a character's mark pels, and the four ways to choose its origin.
#pragma once

#include "core/geom/rect.h"
#include "core/geom/vector.h"
#include "core/image/pel_buffer.h"
#include "foundation/export.h"
#include "foundation/oc_defs.h"

// Finds the box around the mark pels of image's part `rect` (which must lie inside its window).
// The part is binarised at the threshold T of xfThresholdWGV (with the mask where bound); dark on
// light marks grey values below T, light on dark those at or above T. An unknown polarity is
// decided from the region's border, which is background: more border pels below T than at or
// above it means light on dark, fewer means dark on light, as many means undecided (false); it is
// only tried when the threshold score is above 0.
//
// The region is rect intersected with the mask's window; a pel counts when it is mark and its
// mask pel (at the same image position) is 128 or more. The box covers whole pels, from the left
// edge of the leftmost mark pel to the right edge of the rightmost and from the top edge of the
// topmost to the bottom edge of the bottommost, mapped to client coordinates.
//
// Returns false with markRect a default rectangle for a blank character, a region without mark
// pels, or an undecided polarity. An unbound image, a rect outside its window or a polarity other
// than 1, 2 and 4 throws xcOCDefs::BadParams.
OC_API bool xf_DetectMarkRect_(const xcPelBuffer_const<unsigned char>& image, const xcPelRect& rect,
                               const xcPelBuffer_const<unsigned char>& mask, bool isBlank,
                               xcOCDefs::Polarity polarity, xcRect& markRect);

// The centre of rect, (x + w / 2, y + h / 2), in client coordinates. Always true.
OC_API bool xf_computeOriginImageCenter_(const xcPelBuffer_const<unsigned char>& image,
                                         const xcPelRect& rect,
                                         const xcPelBuffer_const<unsigned char>& mask,
                                         xcVector<2>& origin);

// The lower-left corner of rect, (x, y + h), in client coordinates. Always true.
OC_API bool xf_computeOriginImageLowerLeft_(const xcPelBuffer_const<unsigned char>& image,
                                            const xcPelRect& rect,
                                            const xcPelBuffer_const<unsigned char>& mask,
                                            xcVector<2>& origin);

// The lower-left corner of the detected mark: the given one when hasDetectedMark (true, or false
// with the image lower left when it is degenerate), else one found by xf_DetectMarkRect_ (true,
// or false with the image lower left when none is found). An unbound image or a blank character
// gives the image lower left and false.
OC_API bool xf_computeOriginDetectedMarkLowerLeft_(
    const xcPelBuffer_const<unsigned char>& image, const xcPelRect& rect,
    const xcPelBuffer_const<unsigned char>& mask, bool isBlank, bool hasDetectedMark,
    const xcRect& detectedMark, xcOCDefs::Polarity polarity, xcVector<2>& origin);

// The lower-left corner of the specified mark when hasSpecifiedMark (true); otherwise the origin
// the detected-mark rule gives, and false. An unbound image or a blank character gives the image
// lower left and false.
OC_API bool xf_computeOriginSpecifiedMarkLowerLeft_(
    const xcPelBuffer_const<unsigned char>& image, const xcPelRect& rect,
    const xcPelBuffer_const<unsigned char>& mask, bool isBlank, bool hasSpecifiedMark,
    const xcRect& specifiedMark, bool hasDetectedMark, const xcRect& detectedMark,
    xcOCDefs::Polarity polarity, xcVector<2>& origin);
