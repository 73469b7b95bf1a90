// The library's exceptions as one Python hierarchy under oc.Error.
#pragma once

#include <pybind11/pybind11.h>

namespace oc_python {

// Creates oc.Error (attributes `number` and `message`), one class per family (OCError,
// ArrangeError, ArchiveError, PelError, GeomError, TimeoutError's kin Expired) and per library
// class, and the translator that raises them for every xcException by its error number (an
// unlisted number by its family, else oc.Error).
void bindErrors(pybind11::module_& m);

} // namespace oc_python
