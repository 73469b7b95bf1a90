#include "errors.h"

#include "core/base/exception.h"
#include "foundation/oc_defs.h"
#include "oc/arrange/arrange_defs.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace oc_python {

namespace py = pybind11;

namespace {

// A Python class: its name in the module, its bases there (beside builtin ones) and a line of
// documentation; `number` is the library's error number, 0 for a family.
struct ErrorClass {
    long number;
    const char* name;
    std::vector<const char*> bases;
    const char* doc;
};

// Families first, each before its members; a class's own number maps to it.
const std::vector<ErrorClass>& errorClasses() {
    static const std::vector<ErrorClass> table = {
        {0, "OCError", {"Error"}, "An error of the character recognition library."},
        {0, "ArrangeError", {"Error"}, "An error of the arranger."},
        {0, "ArchiveError", {"Error"}, "An archive that cannot be read or written."},
        {0, "PelError", {"Error"}, "A pel buffer or window that cannot be used."},
        {0, "GeomError", {"Error"}, "A geometric computation that cannot be done."},
        {0, "BadParams", {"Error", "ValueError"}, "A parameter outside its range."},
        {0x10000003, "BadParams", {}, ""},
        {0x10005E00, "OCBadParams", {"OCError", "BadParams"}, "A parameter outside its range."},
        {0x10005E01, "BadImage", {"OCError"}, "An image the library cannot use."},
        {0x10005E02, "NotImplemented", {"OCError"}, "A feature the library does not provide."},
        {0x10005E03, "SameKey", {"OCError"}, "Two characters with one key."},
        {0x10005E04, "BadKey", {"OCError"}, "A key that is not in the alphabet."},
        {0x10005E05, "BadIndex", {"OCError"}, "An index out of range."},
        {0x10005E06, "NotCompiled", {"OCError"}, "The alphabet must be compiled first."},
        {0x10005E09, "RectNotSpecified", {"OCError"}, "A rectangle is needed."},
        {0x10005E0A, "MetricNotSpecified", {"OCError"}, "A metric is needed."},
        {0x10005E0B, "ThresholdAndInvertNotSpecified", {"OCError"}, "A threshold is needed."},
        {0x10005E0D, "IntegerOverflow", {"OCError"}, "A value too large to represent."},
        {0x10005E0E, "UnrepresentableKey", {"OCError"}, "A key that cannot be represented."},
        {0x10005E0F, "BadFileFormat", {"OCError"}, "A file of the wrong format."},
        {0x10007400, "ArrangeBadParams", {"ArrangeError", "BadParams"}, "A bad arranger setting."},
        {0x10007401, "BadMask", {"ArrangeError"}, "A mask that does not fit the image."},
        {0x10007402, "ExtractError", {"OCError"}, "The character extraction failed."},
        {0x10000011, "UnknownVersion", {"ArchiveError"}, "An archive of an unknown version."},
        {0x10000012, "BadFormat", {"ArchiveError"}, "A damaged archive."},
        {0x10000013, "EndOfArchive", {"BadFormat"}, "An archive that ends too early."},
        {0x10000014, "ArchiveIOError", {"ArchiveError"}, "An archive file that cannot be used."},
        {0x10000015, "NotStorable", {"ArchiveError"}, "An object that cannot be archived."},
        {0x10000301, "UnboundWindow", {"PelError"}, "A pel buffer without pels."},
        {0x10000302, "BadWindow", {"PelError"}, "A window outside its buffer."},
        {0x10000303, "SizeMismatch", {"PelError"}, "Buffers of different sizes."},
        {0x10000304, "PelBadParams", {"PelError", "BadParams"}, "A bad pel buffer parameter."},
        {0x10000101, "Singular", {"GeomError"}, "A transform that cannot be inverted."},
        {0x10000102, "GeomBadParams", {"GeomError", "BadParams"}, "A bad geometric parameter."},
        {0x10000201, "Expired", {"Error", "TimeoutError"}, "The time limit ran out."},
    };
    return table;
}

// Classes by error number; the module keeps them alive.
std::map<long, PyObject*>& byNumber() {
    static std::map<long, PyObject*> classes;
    return classes;
}

PyObject* errorRoot = nullptr;
PyObject* ocFamily = nullptr;
PyObject* arrangeFamily = nullptr;

PyObject* newClass(py::module_& m, const char* name, py::tuple bases, const char* doc) {
    const std::string qualified = std::string("oc.") + name;
    PyObject* cls = PyErr_NewExceptionWithDoc(qualified.c_str(), doc, bases.ptr(), nullptr);
    if (cls == nullptr) throw py::error_already_set();
    m.add_object(name, py::handle(cls));
    return cls;
}

py::tuple basesOf(const py::module_& m, const std::vector<const char*>& names) {
    py::list out;
    for (const char* n : names) {
        const py::object builtins = py::module_::import("builtins");
        out.append(py::hasattr(m, n) ? m.attr(n) : builtins.attr(n));
    }
    return py::tuple(out);
}

PyObject* classFor(const xcException& e) {
    const auto it = byNumber().find(e.errorNumber());
    if (it != byNumber().end()) return it->second;
    if (dynamic_cast<const xcOCArrangeDefs::Errors*>(&e)) return arrangeFamily;
    if (dynamic_cast<const xcOCDefs::Errors*>(&e)) return ocFamily;
    return errorRoot;
}

void raise(const xcException& e) {
    PyObject* cls = classFor(e);
    const std::string message = e.message();
    // Some classes carry no text; their name and number then tell what happened.
    char number[32];
    std::snprintf(number, sizeof number, "error 0x%lX",
                  static_cast<unsigned long>(e.errorNumber()));
    const std::string shown =
        message.empty()
            ? std::string(py::str(py::handle(cls).attr("__name__"))) + " (" + number + ")"
            : message;
    py::object error = py::reinterpret_borrow<py::object>(cls)(shown);
    error.attr("number") = e.errorNumber();
    error.attr("message") = message;
    PyErr_SetObject(cls, error.ptr());
}

} // namespace

void bindErrors(py::module_& m) {
    errorRoot = newClass(m, "Error", py::make_tuple(py::handle(PyExc_Exception)),
                         "An exception of the library: `number` is its error number and "
                         "`message` its message.");
    for (const ErrorClass& c : errorClasses()) {
        PyObject* cls = c.bases.empty() ? m.attr(c.name).ptr()
                                        : newClass(m, c.name, basesOf(m, c.bases), c.doc);
        if (c.number != 0) byNumber()[c.number] = cls;
    }
    ocFamily = m.attr("OCError").ptr();
    arrangeFamily = m.attr("ArrangeError").ptr();
    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p) std::rethrow_exception(p);
        } catch (const xcException& e) {
            raise(e);
        }
    });
}

} // namespace oc_python
