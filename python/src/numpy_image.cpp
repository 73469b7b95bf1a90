#include "numpy_image.h"

#include <cmath>
#include <cstring>
#include <memory>

namespace oc_python {

namespace {

// The array behind `obj`, checked for dtype, dimensions and size.
py::array checkedArray(const py::handle& obj, const std::string& what) {
    if (!py::isinstance<py::array>(obj))
        throw py::type_error(what + " must be a numpy.ndarray of dtype uint8, not " +
                             std::string(py::str(py::type::of(obj).attr("__name__"))));
    py::array a = py::reinterpret_borrow<py::array>(obj);
    if (!a.dtype().is(py::dtype::of<unsigned char>()))
        throw py::type_error(what + " must have dtype uint8, not " +
                             std::string(py::str(a.dtype())));
    if (a.ndim() != 2)
        throw py::value_error(what + " must be 2-D (height, width), not of shape " +
                              std::string(py::str(py::tuple(a.attr("shape")))));
    if (a.shape(0) == 0 || a.shape(1) == 0)
        throw py::value_error(what + " is empty (shape " +
                              std::string(py::str(py::tuple(a.attr("shape")))) + ")");
    return a;
}

// Releases the array under the GIL, whichever thread drops the last pel buffer handle.
void releaseArray(const void* array) {
    py::gil_scoped_acquire gil;
    Py_DECREF(static_cast<PyObject*>(const_cast<void*>(array)));
}

} // namespace

xcPelBuffer<unsigned char> copiedPelsFromArray(const py::handle& obj, const std::string& what) {
    const py::array a = checkedArray(obj, what);
    const long h = long(a.shape(0)), w = long(a.shape(1));
    xcPelBuffer<unsigned char> out(w, h);
    const auto* base = static_cast<const unsigned char*>(a.data());
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x)
            *out.pointToPel(x, y) = base[y * a.strides(0) + x * a.strides(1)];
    return out;
}

xcPelBuffer_const<unsigned char> pelsFromArray(const py::handle& obj, const std::string& what) {
    const py::array a = checkedArray(obj, what);
    const long h = long(a.shape(0)), w = long(a.shape(1));
    // Rows must not overlap or run backwards, and pels within a row must be adjacent.
    if (a.strides(1) != 1 || a.strides(0) < w) return copiedPelsFromArray(a, what);
    Py_INCREF(a.ptr());
    std::shared_ptr<const void> keeper(a.ptr(), releaseArray);
    return xcPelBuffer_const<unsigned char>(xcPelRect(0, 0, w, h),
                                            static_cast<const unsigned char*>(a.data()),
                                            long(a.strides(0)), std::move(keeper));
}

py::array_t<unsigned char> arrayFromPels(const xcPelBuffer_const<unsigned char>& pels) {
    const long w = pels.width(), h = pels.height();
    py::array_t<unsigned char> out({h, w});
    auto m = out.mutable_unchecked<2>();
    for (long y = 0; y < h; ++y)
        std::memcpy(m.mutable_data(y, 0), pels.rowPointer(y), std::size_t(w));
    return out;
}

xcXform<2> xformFromArray(const py::handle& obj, const std::string& what) {
    py::array_t<double> a;
    try {
        a = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(obj);
    } catch (const py::error_already_set&) {
    }
    if (!a || a.ndim() != 2 || a.shape(0) != 2 || a.shape(1) != 3)
        throw py::value_error(what + " must be a 2 x 3 array [[a, b, tx], [c, d, ty]]");
    auto v = a.unchecked<2>();
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            if (!std::isfinite(v(r, c))) throw py::value_error(what + " must be finite");
    return xcXform<2>(xcMatrix<2>(v(0, 0), v(0, 1), v(1, 0), v(1, 1)),
                      xcVector<2>(v(0, 2), v(1, 2)));
}

py::array_t<double> arrayFromXform(const xcXform<2>& x) {
    py::array_t<double> out({2, 3});
    auto m = out.mutable_unchecked<2>();
    for (int r = 0; r < 2; ++r) {
        m(r, 0) = x.matrix().element(r, 0);
        m(r, 1) = x.matrix().element(r, 1);
    }
    m(0, 2) = x.trans().x();
    m(1, 2) = x.trans().y();
    return out;
}

} // namespace oc_python
