// Edge detection: edgelets (sub-pixel edge points with magnitude and direction) of an 8-bit image.
#pragma once

#include "core/geom/vector.h"
#include "core/image/pel_buffer.h"
#include "imgproc/binary_angle.h"
#include "imgproc/export.h"

#include <vector>

class xcDiagObject;

// What the edge detector looks for.
//
// - filterSize f: the scale at which edges are measured. The image is first smoothed with a
//   Gaussian of sigma = 2 f pels (borders replicated), then the 3 x 3 Sobel filter runs; 0 is the
//   plain Sobel filter. At 1.0 the corners, serifs' steps and anti-aliasing of a printed glyph
//   merge into its outline, so a glyph's share of edgelets per direction follows its shape (an
//   H has its crossbar, a bar stays one direction). In [0, 16].
// - magnitudeThreshold: an edge pel's gradient magnitude (grey levels per pel, see xfEdgeDetect)
//   must be at least this. Finite and >= 0; a pel of zero gradient is never an edge.
// - edgeType: eAllEdges (0) keeps every pel at or above the threshold; ePeakEdges (1) keeps only
//   the ridge of the magnitude across each edge (non-maximum suppression), so one stroke edge
//   gives one chain of edgelets.
class XIMGPROC_API xcEdgeParams {
public:
    static constexpr long eAllEdges = 0;
    static constexpr long ePeakEdges = 1;

    // (1.0, 10.0, ePeakEdges); the fields are declared in detail/edge_params_table.h.
    xcEdgeParams();
    // Checks every value as its setter does; throws xcImgProcDefs::BadParams.
    xcEdgeParams(double filterSize, double magnitudeThreshold, long edgeType);

    double filterSize() const { return filterSize_; }
    void filterSize(double v);
    double magnitudeThreshold() const { return magnitudeThreshold_; }
    void magnitudeThreshold(double v);
    long edgeType() const { return edgeType_; }
    void edgeType(long v);

    friend bool operator==(const xcEdgeParams&, const xcEdgeParams&) = default;

private:
    friend struct xc_EdgeParamsTable;
    double filterSize_;
    double magnitudeThreshold_;
    long edgeType_;
};

// One edge point: its position (sub-pixel, image coordinates of the buffer's root), its gradient
// magnitude and the gradient's direction, which points from dark to light.
class XIMGPROC_API xcEdgelet {
public:
    xcEdgelet() = default;
    // Throws xcImgProcDefs::BadParams for a magnitude that is negative or not finite.
    xcEdgelet(const xcVector<2>& position, double magnitude, xcBinaryAngle8 angle);

    const xcVector<2>& position() const { return position_; }
    void position(const xcVector<2>& v) { position_ = v; }
    double magnitude() const { return magnitude_; }
    // Throws xcImgProcDefs::BadParams for a value that is negative or not finite.
    void magnitude(double v);
    xcBinaryAngle8 angle() const { return angle_; }
    void angle(xcBinaryAngle8 v) { angle_ = v; }

    friend bool operator==(const xcEdgelet&, const xcEdgelet&) = default;

private:
    xcVector<2> position_;
    double magnitude_ = 0.0;
    xcBinaryAngle8 angle_;
};

// Finds the edgelets of the image's window and replaces the contents of `edgelets` with them, in
// row-major order of their pels.
//
// Gradients: 3 x 3 Sobel filters divided by 8, gx = ((right column, weights 1 2 1) - (left
// column)) / 8 and gy likewise with the rows below and above, so a ramp of one grey level per pel
// has magnitude 1. They exist on interior pels only (pels with all eight neighbours in the
// window); a window narrower or lower than 3 pels has no edgelets. Magnitude = sqrt(gx^2 + gy^2).
//
// Peak edges: the gradient direction is quantised to one of four axes (0, 45, 90, 135 degrees);
// a pel is kept when its magnitude is greater than its neighbour behind it (against the
// gradient) and at least that of its neighbour ahead (magnitudes off the interior count as 0).
// The unequal comparisons keep exactly one of two equal maxima, as a step between two pels gives.
// The position is the pel centre (x + 0.5, y + 0.5) moved along the quantised axis by the vertex
// of the parabola through the three magnitudes, s = (mBehind - mAhead) / (2 (mBehind - 2 m +
// mAhead)), |s| <= 0.5: a sharp vertical step between columns 9 and 10 lies at x = 10.0.
// All edges: every pel at or above the threshold, at its centre.
//
// Angle: atan2(gy, gx) in image coordinates (y down) as an xcBinaryAngle8, so a dark-to-light
// step towards +x has plain() 0 and towards +y has 64. The two sides of a filled bar therefore
// fall into one bin modulo 180 degrees.
//
// The recorder and flags are accepted for callers that pass them; nothing is recorded. An unbound
// image throws xcImgProcDefs::BadImage and leaves `edgelets` unchanged.
XIMGPROC_API void xfEdgeDetect(const xcPelBuffer_const<unsigned char>& image,
                               const xcEdgeParams& params, std::vector<xcEdgelet>& edgelets,
                               xcDiagObject* diag = nullptr, unsigned long flags = 0);
