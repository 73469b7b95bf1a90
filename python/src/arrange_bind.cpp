#include "arrange_bind.h"

#include "alphabet_bind.h"
#include "diag/diag_object.h"
#include "numpy_image.h"
#include "oc/arrange/arrange.h"
#include "oc/arrange/char_poses.h"
#include "report/html_report.h"

#include <pybind11/stl.h>

#include <chrono>
#include <cmath>
#include <numbers>
#include <optional>
#include <stdexcept>

namespace oc_python {

namespace {

// The arranger's input, output and intermediate records, as the command-line tool reports them.
constexpr unsigned long kReportFlags = 0x70000;

struct CharResult {
    long index;
    long key;
    std::string name;
    xcOCArrangeDefs::CharStatus status;
    double score;
    std::optional<xcXform<2>> pose;
    long line;
};

struct LineResult {
    long first;
    long count;
    xcXform<2> pose;
    std::string name;
};

struct Result {
    py::object alphabet;
    std::vector<long> keys;
    xcOCArrangeResults results;
    std::vector<CharResult> chars;
    std::vector<LineResult> lines;
    double seconds = 0.0;
};

// Everything one call needs, taken from Python objects under the GIL.
struct Call {
    xcPelBuffer_const<unsigned char> image;
    xcPelBuffer_const<unsigned char> mask;
    xcPtrHandle_const<xcOCAlphabet> alphabet;
    std::vector<long> keys;
    xcOCArrangeParams params;
};

Call prepare(const py::handle& image, const Alphabet& alphabet, const py::handle& textOrKeys,
             const py::object& params, const py::object& mask, const py::object& transform) {
    Call c{pelsFromArray(image, "image"), {}, alphabet.handle, keysFrom(textOrKeys), {}};
    if (!transform.is_none())
        c.image.clientFromImageXform(xformFromArray(transform, "client_from_image"));
    if (!mask.is_none()) {
        c.mask = pelsFromArray(mask, "mask");
        c.mask.clientFromImageXform(c.image.clientFromImage());
    }
    if (!params.is_none()) {
        if (!py::isinstance<xcOCArrangeParams>(params))
            throw py::type_error("params must be an oc.ArrangeParams or None");
        c.params = params.cast<xcOCArrangeParams>();
    }
    return c;
}

Result collect(const py::object& alphabetObj, Call& c, xcOCArrangeResults&& r) {
    Result out{alphabetObj, c.keys, std::move(r), {}, {}};
    const std::vector<xcXform<2>> poses = xfOCCharacterPoses(out.results);
    if (out.results.arrangement()) {
        const xcOCLineArrangement& a = *out.results.arrangement();
        long first = 0;
        for (long i = 0; i < a.numLines(); ++i) {
            const long n = long(a.lines()[std::size_t(i)]->keySetSequence().size());
            out.lines.push_back(
                {first, n,
                 out.results.clientFromArrangementXform() * a.linePoses()[std::size_t(i)].linear(),
                 a.lines()[std::size_t(i)]->name()});
            first += n;
        }
    }
    for (std::size_t i = 0; i < out.results.statusFlags().size(); ++i) {
        long line = -1;
        for (const LineResult& l : out.lines)
            if (long(i) >= l.first && long(i) < l.first + l.count) line = long(&l - &out.lines[0]);
        out.chars.push_back(
            {long(i), c.keys[i], c.alphabet->character(c.keys[i])->name(),
             out.results.statusFlags()[i], out.results.scores()[i],
             i < poses.size() && out.results.statusFlags()[i] != xcOCArrangeDefs::eUnknown
                 ? std::optional(poses[i])
                 : std::nullopt,
             line});
    }
    return out;
}

Result arrange(const py::handle& image, const py::object& alphabetObj, const py::handle& textOrKeys,
               const py::object& params, const py::object& mask, const py::object& report,
               const py::object& transform) {
    if (!py::isinstance<Alphabet>(alphabetObj))
        throw py::type_error("alphabet must be an oc.Alphabet");
    Call c =
        prepare(image, alphabetObj.cast<const Alphabet&>(), textOrKeys, params, mask, transform);
    const std::optional<std::string> reportPath =
        report.is_none() ? std::nullopt : std::optional(py::str(report).cast<std::string>());
    xcOCArrangeResults r;
    double seconds = 0.0;
    {
        py::gil_scoped_release nogil;
        std::optional<xcDiagObject> diag;
        if (reportPath) diag.emplace();
        const auto start = std::chrono::steady_clock::now();
        xfOCArrange_(c.image, c.mask, *c.alphabet, c.keys, c.params, r, diag ? &*diag : nullptr,
                     kReportFlags);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (diag) oc_tools::writeHtmlReport(*diag, "oc.arrange", *reportPath);
    }
    Result out = collect(alphabetObj, c, std::move(r));
    out.seconds = seconds;
    return out;
}

// The seconds each of `repeats` runs of the C++ call takes on the same prepared input, for the
// overhead benchmark.
std::vector<double> timeArrangeCpp(const py::handle& image, const Alphabet& alphabet,
                                   const py::handle& textOrKeys, const py::object& params,
                                   int repeats) {
    Call c = prepare(image, alphabet, textOrKeys, params, py::none(), py::none());
    std::vector<double> seconds;
    py::gil_scoped_release nogil;
    for (int i = 0; i < repeats; ++i) {
        xcOCArrangeResults r;
        const auto start = std::chrono::steady_clock::now();
        xfOCArrange(c.image, *c.alphabet, c.keys, c.params, r, nullptr, 0);
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return seconds;
}

py::object poseArray(const std::optional<xcXform<2>>& p) {
    return p ? py::object(arrayFromXform(*p)) : py::object(py::none());
}

void bindChar(py::module_& m) {
    py::class_<CharResult>(m, "CharResult", "What the arranger found of one expected character.")
        .def_readonly("index", &CharResult::index, "Position in the expected keys.")
        .def_readonly("key", &CharResult::key)
        .def_readonly("name", &CharResult::name)
        .def_readonly("status", &CharResult::status)
        .def_readonly("score", &CharResult::score)
        .def_readonly("line", &CharResult::line, "Index of its line; -1 when not found.")
        .def_property_readonly(
            "pose", [](const CharResult& c) { return poseArray(c.pose); },
            "Client-from-model transform (2 x 3): the model's client origin, the middle of its "
            "cell for models built here, lands at pose[:, 2]; None for an unknown character.")
        .def_property_readonly(
            "position",
            [](const CharResult& c) -> py::object {
                if (!c.pose) return py::none();
                return py::make_tuple(c.pose->trans().x(), c.pose->trans().y());
            },
            "(x, y) of the model's client origin in the image's client frame.")
        .def_property_readonly(
            "angle_deg",
            [](const CharResult& c) -> py::object {
                if (!c.pose) return py::none();
                const xcMatrix<2>& a = c.pose->matrix();
                return py::float_(std::atan2(a.element(1, 0), a.element(0, 0)) * 180.0 /
                                  std::numbers::pi);
            },
            "Turn of the model's x axis in degrees: atan2 of the pose's first column, clockwise "
            "on screen because y grows downwards.")
        .def_property_readonly("scale",
                               [](const CharResult& c) -> py::object {
                                   if (!c.pose) return py::none();
                                   const xcMatrix<2>& a = c.pose->matrix();
                                   return py::float_(std::hypot(a.element(0, 0), a.element(1, 0)));
                               })
        .def("__repr__", [](const CharResult& c) {
            return "<oc.CharResult " + std::to_string(c.index) + " '" + c.name + "' " +
                   std::string(py::str(py::cast(c.status))) + " " + std::to_string(c.score) + ">";
        });
    py::class_<LineResult>(m, "LineResult", "One line of the found arrangement.")
        .def_readonly("first", &LineResult::first, "Index of its first character.")
        .def_readonly("count", &LineResult::count, "Number of its characters.")
        .def_readonly("name", &LineResult::name)
        .def_property_readonly(
            "pose", [](const LineResult& l) { return arrayFromXform(l.pose); },
            "Client-from-line transform (2 x 3).");
}

void bindResult(py::module_& m) {
    py::class_<Result>(m, "ArrangeResult", "What one arrangement run found.")
        .def_property_readonly("is_found", [](const Result& r) { return r.results.isFound(); })
        .def_property_readonly("is_search_truncated",
                               [](const Result& r) { return r.results.isSearchTruncated(); })
        .def_readonly("alphabet", &Result::alphabet, "The alphabet it was run with.")
        .def_readonly("keys", &Result::keys)
        .def_readonly("seconds", &Result::seconds, "How long the library call took.")
        .def_readonly("chars", &Result::chars, "Per expected character, in key order.")
        .def_readonly("lines", &Result::lines)
        .def_property_readonly("statuses",
                               [](const Result& r) {
                                   std::vector<xcOCArrangeDefs::CharStatus> s;
                                   for (const CharResult& c : r.chars) s.push_back(c.status);
                                   return s;
                               })
        .def_property_readonly("scores", [](const Result& r) { return r.results.scores(); })
        .def_property_readonly(
            "client_from_arrangement",
            [](const Result& r) { return arrayFromXform(r.results.clientFromArrangementXform()); })
        .def("__len__", [](const Result& r) { return r.chars.size(); })
        .def("__getitem__",
             [](const Result& r, long i) {
                 const long n = long(r.chars.size());
                 if (i < -n || i >= n) throw py::index_error("character index out of range");
                 return r.chars[std::size_t(i < 0 ? i + n : i)];
             })
        .def("__repr__", [](const Result& r) {
            return std::string("<oc.ArrangeResult ") +
                   (r.results.isFound() ? "found" : "not found") + ", " +
                   std::to_string(r.chars.size()) + " characters>";
        });
}

} // namespace

void bindArrange(py::module_& m) {
    bindChar(m);
    bindResult(m);
    m.def("arrange", &arrange, py::arg("image"), py::arg("alphabet"), py::arg("text_or_keys"),
          py::arg("params") = py::none(), py::arg("mask") = py::none(),
          py::arg("report") = py::none(), py::kw_only(), py::arg("client_from_image") = py::none(),
          "Finds the characters of `text_or_keys` (a str, or int keys in reading order) in a 2-D "
          "uint8 image, looking only where `mask` (same shape) is 128 or more, and returns an "
          "ArrangeResult. The image is used without copying when its rows are adjacent pels; "
          "`client_from_image` (2 x 3) labels its client frame. `report` names an HTML file to "
          "write the diagnostics report to. The GIL is released while the arranger runs.");
    m.def("_time_arrange_cpp", &timeArrangeCpp, py::arg("image"), py::arg("alphabet"),
          py::arg("text_or_keys"), py::arg("params") = py::none(), py::arg("repeats") = 10,
          "Seconds per run of the C++ arranger alone on this input, for the overhead benchmark.");
}

} // namespace oc_python
