// One graphics list of a record drawn as SVG elements in the pel coordinates of its image.
#pragma once

#include "core/geom/xform_base.h"
#include "diag/diag_object.h"

#include <iosfwd>

namespace oc_tools::detail {

// How a list reaches the page: client coordinates map to image pels through imageFromClient
// (a null handle is the identity); sizes given in screen pixels (icons) become
// unitsPerScreenPx SVG units each.
struct OverlayFrame {
    xcXformHandle imageFromClient;
    double unitsPerScreenPx = 1.0;
};

// The smallest box holding every point drawn so far; empty until the first one.
struct OverlayBounds {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty = true;
    void add(double x, double y);
};

// Writes one element per graphic, in the list's order and in each graphic's colour, pen width
// and style; a graphic with a coordinate that is not finite after mapping is left out. Shapes:
//   line segment -> <line>; affine rectangle and rectangle -> <polygon> (Po Px Popp Py, or
//   ul ur lr ll; a filled rectangle is filled with its colour); ellipse arc -> <polyline>
//   through points at most 3.75 degrees of the arc apart (<polygon> for a full turn);
//   coordinate axes -> <polyline> x end, origin, y end; point icons -> <path> (plus, cross),
//   <circle>, <rect> (square) or <polygon> (diamond) of the icon's size in screen pixels.
// Each element carries a <title> with the graphic's description and props. Every point drawn
// is added to `bounds` when given.
void writeSvgGraphics(std::ostream& os, const xcDiagGraphics& graphics, const OverlayFrame& frame,
                      OverlayBounds* bounds = nullptr);

} // namespace oc_tools::detail
