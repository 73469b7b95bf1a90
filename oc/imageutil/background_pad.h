// Background padding of an image window outside a rectangle, and the care region of a mask.
#pragma once

#include "core/geom/rect.h"
#include "core/image/pel_buffer.h"
#include "foundation/export.h"

// Pads `image` in place: every pel of its window W outside `rect` (R, which must lie inside W) is
// overwritten by a continuation of R's border rows and columns:
// 1. the rows above R all become R's top row, extended to W's width by repeating its first and
//    last pel and smoothed with the running median; the rows below R likewise from its bottom row
//    (so the corners outside R belong to these rows);
// 2. in R's rows, the pels left of R take the running-median-smoothed value of R's first column
//    in that row, and the pels right of R that of R's last column.
// Running median of a line of n values: r = n / 4 (none when 0); position i takes the element at
// index count / 2 of the sorted values at positions max(i - r, 0) .. min(i + r, n - 1).
// An empty `rect` leaves the image as it is. An unbound image or a `rect` not inside its window
// throws xcOCDefs::BadParams and changes nothing.
OC_API void xf_OCBackgroundPadImage(xcPelBuffer<unsigned char>& image, const xcPelRect& rect);

// The same on a private copy of the window: `image` is made to refer to the padded copy, so pels
// that other handles share never change.
OC_API void xf_OCBackgroundPadImage(xcPelBuffer_const<unsigned char>& image, const xcPelRect& rect);

// The care box of `mask`: the bounding box (image coordinates) of its pels whose value is at least
// careValue. When some pel inside the box is not cared for, `mask` is windowed to the box;
// otherwise `mask` is made unbound (an unbound mask cares for every pel).
// - An unbound mask returns a null rectangle with found = true.
// - A mask that cares for no pel is made unbound and returns a null rectangle with found = false.
OC_API xcPelRect xf_OCWindowMaskCareRegion(xcPelBuffer<unsigned char>& mask,
                                           unsigned char careValue, bool& found);
OC_API xcPelRect xf_OCWindowMaskCareRegion(xcPelBuffer_const<unsigned char>& mask,
                                           unsigned char careValue, bool& found);

// Pads image and mask to the part of `rect` that the mask cares for: the box is rect itself for an
// unbound mask, else the mask's care box (which may narrow or unbind the mask, and sets found)
// intersected with rect. When found, the image is padded outside the box in place, and so is the
// mask while it is still bound. When the box is empty, nothing is padded. `image` must be bound
// and contain rect, else xcOCDefs::BadParams is thrown and nothing changes.
OC_API void xf_OCBackgroundPadImage(xcPelBuffer<unsigned char>& image,
                                    xcPelBuffer<unsigned char>& mask, unsigned char careValue,
                                    const xcPelRect& rect, bool& found);

// The same on private copies of image and mask, which the handles are made to refer to.
OC_API void xf_OCBackgroundPadImage(xcPelBuffer_const<unsigned char>& image,
                                    xcPelBuffer_const<unsigned char>& mask, unsigned char careValue,
                                    const xcPelRect& rect, bool& found);
