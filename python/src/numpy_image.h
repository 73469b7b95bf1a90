// numpy arrays as pel buffers and 2 x 3 arrays as transforms, with the checks the module's
// callers see as TypeError and ValueError.
#pragma once

#include "core/geom/xform.h"
#include "core/image/pel_buffer.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <string>

namespace oc_python {

namespace py = pybind11;

// A 2-D uint8 array as a pel buffer with window (0, 0, width, height). Rows that lie a positive
// stride apart with adjacent pels are shared without copying (the root holds a reference to the
// array, released under the GIL); any other layout is copied. A non-array or another dtype throws
// TypeError, another number of dimensions or an empty array ValueError, naming `what`.
xcPelBuffer_const<unsigned char> pelsFromArray(const py::handle& obj, const std::string& what);

// The same, always copied into a new root (for models, which outlive the call).
xcPelBuffer<unsigned char> copiedPelsFromArray(const py::handle& obj, const std::string& what);

// The pels of a buffer's window as a new (height, width) uint8 array.
py::array_t<unsigned char> arrayFromPels(const xcPelBuffer_const<unsigned char>& pels);

// A 2 x 3 array-like [[a, b, tx], [c, d, ty]] as an affine transform; another shape or a
// non-finite element throws ValueError naming `what`.
xcXform<2> xformFromArray(const py::handle& obj, const std::string& what);

// A transform as a new 2 x 3 float64 array.
py::array_t<double> arrayFromXform(const xcXform<2>& x);

} // namespace oc_python
