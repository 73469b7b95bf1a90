// The module oc: the character recognition library from Python with numpy images.
#include "alphabet_bind.h"
#include "arrange_bind.h"
#include "errors.h"
#include "params_bind.h"

PYBIND11_MODULE(_oc, m) {
    m.doc() = "Character recognition and verification in 8-bit grey images (numpy uint8 arrays).";
    oc_python::bindErrors(m);
    oc_python::bindParams(m);
    oc_python::bindAlphabet(m);
    oc_python::bindArrange(m);
}
