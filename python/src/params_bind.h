// oc.ArrangeParams and the arranger's enumerations.
#pragma once

#include <pybind11/pybind11.h>

namespace oc_python {

void bindParams(pybind11::module_& m);

} // namespace oc_python
