// oc.Model and oc.Alphabet: character models from numpy images, alphabets from models, alphabet
// folders and archives.
#pragma once

#include "core/base/handle.h"
#include "oc/oc/alphabet.h"

#include <pybind11/pybind11.h>

#include <vector>

namespace oc_python {

// The Python alphabet. Compiling builds a compiled copy and swaps the handle under the GIL, so
// an arrange that took the handle before keeps using the alphabet it started with.
struct Alphabet {
    xcPtrHandle_const<xcOCAlphabet> handle;
};

// The keys of a text (its code points) or a sequence of integer keys; anything else throws
// TypeError.
std::vector<long> keysFrom(const pybind11::handle& textOrKeys);

void bindAlphabet(pybind11::module_& m);

} // namespace oc_python
