// Archive operations of the geometry value types.
#pragma once

#include "core/export.h"
#include "core/geom/affine_rect.h"
#include "core/geom/angle.h"
#include "core/geom/matrix.h"
#include "core/geom/range.h"
#include "core/geom/rect.h"
#include "core/geom/rigid.h"
#include "core/geom/vector.h"
#include "core/geom/xform.h"
#include "core/geom/xform_base.h"

class xcArchive;

// Layouts (doubles are 8-byte IEEE, little-endian; no version bytes):
//   xcVector<2>        x, y
//   xcMatrix<2>        a, b, c, d
//   xcXform<2>         a, b, c, d, tx, ty
//   xc2XformLinear     as its xcXform<2>
//   xc2Rigid           angle in radians, tx, ty
//   xcRadian           the angle in radians; xcDegree the angle in degrees
//   xcRange            kind byte (0 normal, 1 empty, 2 full), start, end
//   xcRect             x, y, width, height
//   xcPelRect          x, y, width, height as signed 32-bit integers
//   xcAffineRectangle  Po.x, Po.y, Px.x, Px.y, Py.x, Py.y
// Loading assigns only once every field has been read, so a failed load leaves the value as it
// was. A range kind other than 0, 1 or 2 throws xcArchive::BadFormat; a pel rectangle field
// outside 32 bits cannot be stored (xcArchive::NotStorable).
XCORE_API xcArchive& operator||(xcArchive& ar, xcVector<2>& v);
XCORE_API xcArchive& operator||(xcArchive& ar, xcMatrix<2>& m);
XCORE_API xcArchive& operator||(xcArchive& ar, xcXform<2>& x);
XCORE_API xcArchive& operator||(xcArchive& ar, xc2XformLinear& x);
XCORE_API xcArchive& operator||(xcArchive& ar, xc2Rigid& r);
XCORE_API xcArchive& operator||(xcArchive& ar, xcRadian& a);
XCORE_API xcArchive& operator||(xcArchive& ar, xcDegree& a);
XCORE_API xcArchive& operator||(xcArchive& ar, xcRange& r);
XCORE_API xcArchive& operator||(xcArchive& ar, xcRect& r);
XCORE_API xcArchive& operator||(xcArchive& ar, xcPelRect& r);
XCORE_API xcArchive& operator||(xcArchive& ar, xcAffineRectangle& r);
