// Whole-window operations on pel buffers: copy, grey map, minimum and maximum, fill, histogram
// and comparison.
#pragma once

#include "core/export.h"
#include "core/image/histo_stats.h"
#include "core/image/pel_buffer.h"

// Rules shared by every operation here:
// - Every input must be bound, else xcPel::UnboundWindow; the checks come before any change.
// - Two buffers are paired by window-relative position: pel (x, y) of one window goes with pel
//   (x, y) of the other, whatever their offsets and transforms. Their sizes must be equal, else
//   xcPel::SizeMismatch.
// - Output `dst`: when unbound it becomes a new root with the (first) source's window, at the
//   same image coordinates, and the source's transforms; when bound it keeps its window and its
//   transforms and only its pels change. Outputs may share pels with inputs.

// dst = src.
XCORE_API void xfPelCopy(const xcPelBuffer_const<unsigned char>& src,
                         xcPelBuffer<unsigned char>& dst);
XCORE_API void xfPelCopy(const xcPelBuffer_const<short>& src, xcPelBuffer<short>& dst);

// dst = table[src]. A null table throws xcPel::BadParams.
XCORE_API void xfPelMap(const xcPelBuffer_const<unsigned char>& src, const unsigned char table[256],
                        xcPelBuffer<unsigned char>& dst);

// The smallest and largest value in the window; an empty window throws xcPel::BadWindow.
XCORE_API unsigned char xfPelMin(const xcPelBuffer_const<unsigned char>& buf);
XCORE_API unsigned char xfPelMax(const xcPelBuffer_const<unsigned char>& buf);
XCORE_API short xfPelMin(const xcPelBuffer_const<short>& buf);
XCORE_API short xfPelMax(const xcPelBuffer_const<short>& buf);

// dst = min(a, b) and max(a, b) pel by pel; dst is allocated like xfPelCopy of a.
XCORE_API void xfPelMin(const xcPelBuffer_const<unsigned char>& a,
                        const xcPelBuffer_const<unsigned char>& b, xcPelBuffer<unsigned char>& dst);
XCORE_API void xfPelMax(const xcPelBuffer_const<unsigned char>& a,
                        const xcPelBuffer_const<unsigned char>& b, xcPelBuffer<unsigned char>& dst);
XCORE_API void xfPelMin(const xcPelBuffer_const<short>& a, const xcPelBuffer_const<short>& b,
                        xcPelBuffer<short>& dst);
XCORE_API void xfPelMax(const xcPelBuffer_const<short>& a, const xcPelBuffer_const<short>& b,
                        xcPelBuffer<short>& dst);

// Every pel of the window = value.
XCORE_API void xfPelSet(xcPelBuffer<unsigned char>& buf, unsigned char value);
XCORE_API void xfPelSet(xcPelBuffer<short>& buf, short value);

// Grey-value histogram of the window.
XCORE_API xcHistoStats xfPelHistogram(const xcPelBuffer_const<unsigned char>& buf);
// Only the pels whose mask pel is 128 or more are counted.
XCORE_API xcHistoStats xfPelHistogram(const xcPelBuffer_const<unsigned char>& buf,
                                      const xcPelBuffer_const<unsigned char>& mask);

// Same size and the same pels, window-relatively; offsets and transforms are not compared.
// Different sizes give false. Both must be bound.
XCORE_API bool xfPelEqual(const xcPelBuffer_const<unsigned char>& a,
                          const xcPelBuffer_const<unsigned char>& b);
XCORE_API bool xfPelEqual(const xcPelBuffer_const<short>& a, const xcPelBuffer_const<short>& b);
