// The affine sampler: resamples a parallelogram of an 8-bit image onto a new pel grid.
#pragma once

#include "core/export.h"
#include "core/geom/affine_rect.h"
#include "core/image/pel_buffer.h"

// What to sample: a parallelogram given in the source's client coordinates, the number of output
// pels along its x side (nx) and along its y side (ny), and how to interpolate.
//
// With F = affineRectangle().affRectFromUnitSq(), output pel (i, j) takes the source value at
// the client point F((i + 0.5) / nx, (j + 0.5) / ny).
class XCORE_API xcAffineSamplingParams {
public:
    enum Interpolation {
        // The pel whose square holds the point.
        eNearest = 1,
        // Bilinear with weights in steps of 1/256, rounded; exact on whole-pel positions.
        eBilinear = 2,
        // Bilinear with double weights, rounded.
        eBilinearHighPrecision = 3,
        // Cubic convolution (Keys, a = -0.5) over 4 x 4 pels, clamped to 0..255 and rounded.
        eBicubic = 4
    };

    // The unit square, 1 x 1 pel, bilinear; the fields are declared in
    // detail/sampling_params_table.h.
    xcAffineSamplingParams();
    // nx and ny must be positive, the rectangle not degenerate and the mode one of the above,
    // else xcPel::BadParams.
    xcAffineSamplingParams(const xcAffineRectangle& rectInSourceClient, short nx, short ny,
                           Interpolation mode = eBilinear);

    const xcAffineRectangle& affineRectangle() const { return rect_; }
    void affineRectangle(const xcAffineRectangle& r);
    short nx() const { return nx_; }
    void nx(short n);
    short ny() const { return ny_; }
    void ny(short n);
    Interpolation interpolation() const { return mode_; }
    void interpolation(Interpolation mode);

    // True when sampling `image` would reach beyond its window: the rectangle, mapped into image
    // coordinates by the image's imageFromClient (its first-order approximation at the
    // rectangle's centre when it is not linear), is not contained in the window, with a
    // tolerance of 1e-9 pel. An unbound image throws xcPel::UnboundWindow.
    bool willClip(const xc_PelBuffer& image) const;

    friend bool operator==(const xcAffineSamplingParams&, const xcAffineSamplingParams&) = default;

private:
    friend struct xc_AffineSamplingParamsTable;
    xcAffineRectangle rect_;
    short nx_;
    short ny_;
    Interpolation mode_;
};

// Samples src as p says into dst.
//
// A sample point goes through src's imageFromClient into image coordinates and is interpolated on
// the lattice of pel centres (k + 0.5); reads are clamped to src's window, so a point outside it
// takes the values of the nearest border pels. A non-linear imageFromClient is applied exactly at
// every sample point.
//
// dst: when unbound, a new root with window (0, 0, nx, ny); when bound it must be nx x ny (else
// xcPel::SizeMismatch) and keeps its window. In both cases its clientFromImage becomes
// F * Scale(1 / nx, 1 / ny) * Translation(-dst's offset), so that output pel q covers the client
// points F((q - offset) / (nx, ny)) it was sampled from: the output keeps the source's client
// coordinates. An unbound src throws xcPel::UnboundWindow and an empty src window
// xcPel::BadWindow; failures leave dst as it was.
XCORE_API void xfAffineTransformImage(const xcPelBuffer_const<unsigned char>& src,
                                      const xcAffineSamplingParams& p,
                                      xcPelBuffer<unsigned char>& dst);
