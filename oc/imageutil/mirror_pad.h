// Mirror padding of a buffer around the part of it that is already filled.
#pragma once

#include "core/geom/rect.h"
#include "core/image/pel_buffer.h"
#include "foundation/export.h"

// Fills every pel of buf's window O outside `inner` (which O must contain, with at least one pel)
// from the pels of `inner`, nearest first:
// - rows above inner, from the row next to it outwards, take inner's rows 0, 1, 2, ... (clamped
//   to its last row); rows below take its last row, the one before, ... (clamped to its first);
//   both over inner's columns only;
// - then in every row of O, columns left of inner, from the one next to it outwards, take the
//   columns inner.x, inner.x + 1, ... (clamped to its last column), and columns right of it take
//   its last column, the one before, ... (clamped to its first).
// An `inner` that is empty or not inside the window throws xcOCDefs::BadParams.
OC_API void xf_OCMirrorPad(xcPelBuffer<unsigned char>& buf, const xcPelRect& inner);
