// Archive operators of pel buffers.
#pragma once

#include "core/export.h"
#include "core/image/pel_buffer.h"

class xcArchive;

// Layout: bound flag (bool); clientFromImage as 6 doubles a, b, c, d, tx, ty; if bound, the
// window as 4 x int32 (x, y, width, height) then width x height pels row by row (short as int16
// little-endian). A non-linear clientFromImage throws xcArchive::NotStorable before anything is
// written. Loading makes a new root that is exactly the window, at the same image coordinates;
// the sharing of pels between handles is not kept. Damaged data (negative size, more pels than
// bytes left, singular transform) throws xcArchive::BadFormat or EndOfArchive and leaves the
// buffer as it was.
XCORE_API xcArchive& operator||(xcArchive& ar, xcPelBuffer<unsigned char>& b);
XCORE_API xcArchive& operator||(xcArchive& ar, xcPelBuffer_const<unsigned char>& b);
XCORE_API xcArchive& operator||(xcArchive& ar, xcPelBuffer<short>& b);
XCORE_API xcArchive& operator||(xcArchive& ar, xcPelBuffer_const<short>& b);
