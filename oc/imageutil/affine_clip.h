// Affine resampling that tolerates regions leaving the image, and rotation-and-scale of a whole
// window into an image large enough to hold it.
#pragma once

#include "core/geom/angle.h"
#include "core/image/affine_sampling.h"
#include "core/image/pel_buffer.h"
#include "foundation/export.h"

// Samples params' affine rectangle (in src's client coordinates) from src into dst, and src's
// optional mask (unbound for none) into dstMask.
//
// When the rectangle stays inside src (and inside the mask), both are sampled directly with
// params, without any copy; dstMask stays unbound without a mask. Otherwise src and mask are first
// padded to P, the rectangle's enclosing box in image coordinates grown by 4 pels (floor of the
// low edges, ceil of the sizes): the padding of the image is src's median grey value and that of
// the mask 0, while the mask is 255 over src's window when there is no mask. The padded image is
// sampled with params and the padded mask with params at interpolation 2, so in dstMask 255 (or
// the given mask's values) marks pels from the image and 0 marks pels from outside it.
//
// dst and dstMask must be unbound on entry and a bound srcMask must have src's window; otherwise
// xcOCDefs::BadParams is thrown and nothing changes. So is a padded region of more than 2^28 pels.
OC_API void xfAffineTransformWithClipping(const xcPelBuffer_const<unsigned char>& src,
                                          const xcPelBuffer_const<unsigned char>& srcMask,
                                          const xcAffineSamplingParams& params,
                                          xcPelBuffer<unsigned char>& dst,
                                          xcPelBuffer<unsigned char>& dstMask);

// Turns src's window W by `angle` and scales it by `scale` into dst, a new image just large
// enough to hold all of W, whose client coordinates stay src's.
//
// The output frame R is W's bounding box in the turned axes; the output has round(R's lengths x
// scale) pels. Pels are taken from a canvas that holds W and 3 pels around it, the pels outside
// src's root image filled by mirror padding, and zeros beyond.
//
// dstMask marks with 255 the pels that came from outside W and with 0 those from W; with an input
// mask (of src's window) the sampled mask values from 128 up give 255 as well. The mask is
// sampled with maskInterpolation and thresholded at 128.
//
// dst and dstMask are replaced by new buffers. A scale that is not a finite number > 0, an angle
// that is not finite, an unbound or empty src, a mask whose window differs from src's, or an
// output size outside 0.5 .. 32767 pels throws xcOCDefs::BadParams and changes nothing.
OC_API void xf_AffineTransform(const xcPelBuffer_const<unsigned char>& src,
                               const xcPelBuffer_const<unsigned char>& mask, xcRadian angle,
                               double scale, xcPelBuffer<unsigned char>& dst,
                               xcPelBuffer<unsigned char>& dstMask,
                               xcAffineSamplingParams::Interpolation imageInterpolation,
                               xcAffineSamplingParams::Interpolation maskInterpolation);

// The same without mask and without mask output.
OC_API void xf_AffineTransform(const xcPelBuffer_const<unsigned char>& src, xcRadian angle,
                               double scale, xcPelBuffer<unsigned char>& dst,
                               xcAffineSamplingParams::Interpolation interpolation);
