#include "alphabet_bind.h"

#include "common/alphabet_folder.h"
#include "core/persist/archive.h"
#include "foundation/oc_defs.h"
#include "numpy_image.h"

#include <pybind11/stl.h>

#include <filesystem>
#include <optional>
#include <stdexcept>

namespace oc_python {

namespace {

struct Model {
    xcPtrHandle_const<xcOCModel> handle;
};

long keyFrom(const py::handle& k) {
    if (py::isinstance<py::str>(k)) {
        const std::vector<long> keys = keysFrom(k);
        if (keys.size() != 1) throw py::value_error("a key given as text must be one character");
        return keys[0];
    }
    if (!py::isinstance<py::int_>(k)) throw py::type_error("a key must be an int or a character");
    return k.cast<long>();
}

xcPelRect rectFrom(const py::handle& area) {
    const auto v = area.cast<std::vector<long>>();
    if (v.size() != 4) throw py::value_error("area must be (x, y, width, height)");
    return xcPelRect(v[0], v[1], v[2], v[3]);
}

py::tuple tupleFrom(const xcPelRect& r) {
    return py::make_tuple(r.x(), r.y(), r.width(), r.height());
}

// A normal model: the image copied, the client origin in the middle of the area unless the
// caller gives the client-from-image transform.
Model makeModel(const py::handle& key, const py::handle& image, const py::object& area,
                const std::string& name, const std::string& description, const py::object& mask,
                const py::object& clientFromImage) {
    xcPelBuffer<unsigned char> pels = copiedPelsFromArray(image, "image");
    const xcPelRect cell = area.is_none() ? pels.window() : rectFrom(area);
    // The model keeps its cell alone, as models read from an alphabet folder do.
    pels.window(cell);
    pels.clientFromImageXform(clientFromImage.is_none()
                                  ? xcXform<2>::translation(-cell.center())
                                  : xformFromArray(clientFromImage, "client_from_image"));
    const long k = keyFrom(key);
    if (mask.is_none())
        return {xcPtrHandle_const<xcOCModel>(
            new xcOCModel(k, pels, cell, xcOCModel::eNormal, name, description))};
    xcPelBuffer<unsigned char> m = copiedPelsFromArray(mask, "mask");
    m.window(cell);
    m.clientFromImageXform(pels.clientFromImage());
    return {xcPtrHandle_const<xcOCModel>(
        new xcOCModel(k, pels, m, cell, xcOCModel::eNormal, name, description))};
}

Model makeBlank(const py::handle& key, const py::handle& area, const std::string& name,
                const std::string& description) {
    return {xcPtrHandle_const<xcOCModel>(
        new xcOCModel(keyFrom(key), xcPelBuffer_const<unsigned char>(), rectFrom(area),
                      xcOCModel::eBlank, name, description))};
}

Alphabet makeAlphabet(const std::vector<Model>& models, double threshold, const std::string& name,
                      bool compile) {
    xcOCAlphabet::Models handles;
    for (const Model& m : models) handles.push_back(m.handle);
    auto* a = new xcOCAlphabet(handles, threshold, false, name);
    xcPtrHandle_const<xcOCAlphabet> h(a);
    if (compile) {
        py::gil_scoped_release nogil;
        a->compile(nullptr, 0);
    }
    return {h};
}

// A str or os.PathLike as a path.
std::string pathFrom(const py::handle& p) {
    return py::str(py::module_::import("os").attr("fspath")(p));
}

Alphabet fromFolder(const py::handle& path) {
    const std::string dir = pathFrom(path);
    if (!std::filesystem::is_directory(dir))
        throw py::value_error(dir + ": not an alphabet folder");
    try {
        return {oc_tools::readAlphabetFolder(dir).alphabet};
    } catch (const std::runtime_error& e) {
        throw py::value_error(e.what());
    }
}

Alphabet load(const py::handle& file) {
    const std::string path = pathFrom(file);
    xcPtrHandle_const<xcOCAlphabet> h;
    xcFileArchive in(path, xcFileArchive::eLoading);
    in || h;
    if (!h) throw py::value_error(path + ": the archive holds no alphabet");
    return {h};
}

void save(const Alphabet& a, const py::handle& path) {
    xcFileArchive out(pathFrom(path), xcFileArchive::eStoring);
    xcPtrHandle_const<xcOCAlphabet> h = a.handle;
    out || h;
    out.close();
}

void compile(Alphabet& a) {
    if (a.handle->isCompiled()) return;
    xcPtrHandle_const<xcOCAlphabet> compiled;
    {
        py::gil_scoped_release nogil;
        auto* copy = new xcOCAlphabet(*a.handle);
        compiled = xcPtrHandle_const<xcOCAlphabet>(copy);
        copy->compile(nullptr, 0);
    }
    a.handle = compiled;
}

py::array_t<double> confusionMatrix(const Alphabet& a) {
    if (!a.handle->isCompiled()) throw xcOCDefs::NotCompiled();
    const long n = a.handle->numChars();
    const xcNMMatrix& c = a.handle->confusionMatrix();
    py::array_t<double> out({n, n});
    auto m = out.mutable_unchecked<2>();
    for (long i = 0; i < n; ++i)
        for (long j = 0; j < n; ++j) m(i, j) = c(i, j);
    return out;
}

void bindModel(py::module_& m) {
    py::class_<Model>(m, "Model", "One trained character: key, image, cell and type.")
        .def(py::init(&makeModel), py::arg("key"), py::arg("image"), py::arg("area") = py::none(),
             py::kw_only(), py::arg("name") = "", py::arg("description") = "",
             py::arg("mask") = py::none(), py::arg("client_from_image") = py::none(),
             "A normal character from a 2-D uint8 image (copied). `area` (x, y, width, height) is "
             "its cell, the whole image by default, and the model keeps that window; the client "
             "origin is put in the middle of "
             "the cell, where the arranger fits its lines, unless `client_from_image` (2 x 3) "
             "says otherwise. `key` is an int or a one-character string.")
        .def_static("blank", &makeBlank, py::arg("key"), py::arg("area"), py::kw_only(),
                    py::arg("name") = "", py::arg("description") = "",
                    "A blank character (such as a space) with its cell and no image.")
        .def_property_readonly("key", [](const Model& s) { return s.handle->key(); })
        .def_property_readonly("name", [](const Model& s) { return s.handle->name(); })
        .def_property_readonly("description",
                               [](const Model& s) { return s.handle->description(); })
        .def_property_readonly(
            "is_blank", [](const Model& s) { return s.handle->charType() == xcOCModel::eBlank; })
        .def_property_readonly("area",
                               [](const Model& s) { return tupleFrom(s.handle->imageArea()); })
        .def_property_readonly("image",
                               [](const Model& s) -> py::object {
                                   if (!s.handle->image().isBound()) return py::none();
                                   return arrayFromPels(s.handle->image());
                               })
        .def_property_readonly(
            "client_from_image",
            [](const Model& s) { return arrayFromXform(s.handle->image().clientFromImage()); })
        .def("__eq__", [](const Model& a, const Model& b) { return *a.handle == *b.handle; })
        .def("__repr__", [](const Model& s) {
            return "<oc.Model key=" + std::to_string(s.handle->key()) + " name='" +
                   s.handle->name() + "'>";
        });
}

} // namespace

std::vector<long> keysFrom(const py::handle& textOrKeys) {
    std::vector<long> keys;
    if (py::isinstance<py::str>(textOrKeys)) {
        for (const py::handle ch : textOrKeys)
            keys.push_back(long(PyUnicode_ReadChar(ch.ptr(), 0)));
        return keys;
    }
    if (!py::isinstance<py::sequence>(textOrKeys) || py::isinstance<py::bytes>(textOrKeys))
        throw py::type_error("text_or_keys must be a str or a sequence of int keys");
    for (const py::handle k : textOrKeys) {
        if (!py::isinstance<py::int_>(k))
            throw py::type_error("text_or_keys must be a str or a sequence of int keys");
        keys.push_back(k.cast<long>());
    }
    return keys;
}

void bindAlphabet(py::module_& m) {
    bindModel(m);
    py::class_<Alphabet>(m, "Alphabet", "The set of character models a reading may meet.")
        .def(py::init(&makeAlphabet), py::arg("models"), py::arg("confusion_threshold") = 0.5,
             py::arg("name") = "", py::arg("compile") = false,
             "An alphabet of these models (unique keys) in this order.")
        .def_static("from_folder", &fromFolder, py::arg("path"),
                    "An alphabet folder: alphabet.json and one image per normal character; "
                    "threshold 0.5, named after the folder, not compiled.")
        .def_static("load", &load, py::arg("path"), "An alphabet from the library's archive.")
        .def("save", &save, py::arg("path"), "Writes the library's archive.")
        .def("compile", &compile,
             "Fills the confusion matrix and offsets; the GIL is released meanwhile.")
        .def("confusion_matrix", &confusionMatrix,
             "Element (i, j): the score of character i found in character j's image "
             "(characters in alphabet order); needs a compiled alphabet.")
        .def(
            "confusable",
            [](const Alphabet& a, const py::handle& k1, const py::handle& k2) {
                return a.handle->areConfusable(keyFrom(k1), keyFrom(k2));
            },
            py::arg("a"), py::arg("b"),
            "Whether a's model scores above the threshold in b's image; needs a compiled "
            "alphabet.")
        .def(
            "model",
            [](const Alphabet& a, const py::handle& k) {
                return Model{a.handle->character(keyFrom(k))};
            },
            py::arg("key"))
        .def_property_readonly("name", [](const Alphabet& a) { return a.handle->name(); })
        .def_property_readonly("confusion_threshold",
                               [](const Alphabet& a) { return a.handle->confusionThreshold(); })
        .def_property_readonly("is_compiled",
                               [](const Alphabet& a) { return a.handle->isCompiled(); })
        .def_property_readonly("keys",
                               [](const Alphabet& a) {
                                   std::vector<long> keys;
                                   for (const auto& c : a.handle->characters())
                                       keys.push_back(c->key());
                                   return keys;
                               })
        .def("__len__", [](const Alphabet& a) { return a.handle->numChars(); })
        .def("__contains__", [](const Alphabet& a,
                                const py::handle& k) { return a.handle->hasCharacter(keyFrom(k)); })
        .def("__eq__", [](const Alphabet& a, const Alphabet& b) { return *a.handle == *b.handle; })
        .def("__repr__", [](const Alphabet& a) {
            return "<oc.Alphabet '" + a.handle->name() + "' of " +
                   std::to_string(a.handle->numChars()) + " characters" +
                   (a.handle->isCompiled() ? ", compiled>" : ">");
        });
}

} // namespace oc_python
