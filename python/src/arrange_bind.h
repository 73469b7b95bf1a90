// oc.arrange and its result objects.
#pragma once

#include <pybind11/pybind11.h>

namespace oc_python {

void bindArrange(pybind11::module_& m);

} // namespace oc_python
