#include "params_bind.h"

#include "oc/arrange/arrange_params.h"

#include <functional>
#include <string>
#include <vector>

namespace oc_python {

namespace py = pybind11;

namespace {

using Params = xcOCArrangeParams;
using Defs = xcOCArrangeDefs;

// One setting: its snake-case name, how it reads and how it is set through the library's
// checking setter.
struct Field {
    const char* name;
    std::function<py::object(const Params&)> get;
    std::function<void(Params&, const py::handle&)> set;
};

template <class T, class V>
Field plain(const char* name, T (Params::*get)() const, void (Params::*set)(V)) {
    return {name, [get](const Params& p) { return py::cast((p.*get)()); },
            [set](Params& p, const py::handle& v) { (p.*set)(v.cast<std::decay_t<V>>()); }};
}

// A count where None stands for no limit.
Field limit(const char* name, long (Params::*get)() const, void (Params::*set)(long)) {
    return {name,
            [get](const Params& p) -> py::object {
                const long v = (p.*get)();
                return v == Params::kNoLimit ? py::object(py::none()) : py::object(py::int_(v));
            },
            [set](Params& p, const py::handle& v) {
                (p.*set)(v.is_none() ? Params::kNoLimit : v.cast<long>());
            }};
}

// An angle in radians, as the library keeps it.
Field radians(const char* name, const xcRadian& (Params::*get)() const,
              void (Params::*set)(const xcRadian&)) {
    return {name, [get](const Params& p) { return py::cast((p.*get)().toDouble()); },
            [set](Params& p, const py::handle& v) { (p.*set)(xcRadian(v.cast<double>())); }};
}

const std::vector<Field>& fields() {
    static const std::vector<Field> table = {
        {"scale_range",
         [](const Params& p) {
             return py::object(py::make_tuple(p.scaleRange().start(), p.scaleRange().end()));
         },
         [](Params& p, const py::handle& v) {
             const auto r = v.cast<std::pair<double, double>>();
             p.scaleRange(xcRange(r.first, r.second));
         }},
        plain("min_match_score", &Params::minMatchScore, &Params::minMatchScore),
        limit("max_lines", &Params::maxLines, &Params::maxLines),
        plain("line_type", &Params::lineType, &Params::lineType),
        plain("is_text_direction_specified", &Params::isTextDirectionSpecified,
              &Params::isTextDirectionSpecified),
        radians("straight_text_direction", &Params::straightTextDirection,
                &Params::straightTextDirection),
        plain("is_circular_text_direction_clockwise", &Params::isCircularTextDirectionClockwise,
              &Params::isCircularTextDirectionClockwise),
        limit("max_unmatched_chars", &Params::maxUnmatchedChars, &Params::maxUnmatchedChars),
        plain("orientation_mode", &Params::orientationMode, &Params::orientationMode),
        plain("orientation_reference", &Params::orientationReference,
              &Params::orientationReference),
        radians("expected_orientation", &Params::expectedOrientation, &Params::expectedOrientation),
        plain("line_break_cost", &Params::lineBreakCost, &Params::lineBreakCost),
        plain("unmatched_char_cost", &Params::unmatchedCharCost, &Params::unmatchedCharCost),
        plain("normal_trans_cost", &Params::normalTransCost, &Params::normalTransCost),
        plain("tangential_trans_cost", &Params::tangentialTransCost, &Params::tangentialTransCost),
        plain("orientation_cost", &Params::orientationCost, &Params::orientationCost),
        plain("scale_cost", &Params::scaleCost, &Params::scaleCost),
        plain("comp_pose_uncertainties", &Params::compPoseUncertainties,
              &Params::compPoseUncertainties),
        plain("max_candidates", &Params::maxCandidates, &Params::maxCandidates),
        plain("timeout", &Params::timeout, &Params::timeout),
    };
    return table;
}

// Sets one field; a value of the wrong type raises TypeError naming the field.
void setField(const Field& f, Params& p, const py::handle& v) {
    try {
        f.set(p, v);
    } catch (const py::cast_error&) {
        throw py::type_error(std::string("ArrangeParams.") + f.name + " cannot take " +
                             std::string(py::repr(v)));
    }
}

Params makeParams(const py::kwargs& kwargs) {
    Params p;
    for (const auto& [key, value] : kwargs) {
        const std::string name = py::str(key);
        bool known = false;
        for (const Field& f : fields())
            if (name == f.name) {
                setField(f, p, value);
                known = true;
            }
        if (!known)
            throw py::type_error("ArrangeParams() got an unexpected keyword argument '" + name +
                                 "'");
    }
    return p;
}

void bindEnums(py::module_& m) {
    py::enum_<Defs::LineType>(m, "LineType", "The shape of the lines of text.")
        .value("STRAIGHT", Defs::eStraight)
        .value("CIRCULAR", Defs::eCircular)
        .value("DONT_CARE", Defs::eDontCare);
    py::enum_<Defs::OrientationMode>(m, "OrientationMode",
                                     "Where the characters' expected orientation comes from.")
        .value("SPECIFIED", Defs::eSpecified)
        .value("AVERAGE", Defs::eAverage);
    py::enum_<Defs::OrientationReference>(m, "OrientationReference",
                                          "What the characters' orientation is measured from.")
        .value("ABSOLUTE", Defs::eAbsolute)
        .value("RELATIVE", Defs::eRelative);
    py::enum_<Defs::CharStatus>(m, "CharStatus", "What the arranger made of one character.")
        .value("MATCHED", Defs::eMatched)
        .value("INFERRED", Defs::eInferred)
        .value("UNKNOWN", Defs::eUnknown);
}

} // namespace

void bindParams(py::module_& m) {
    bindEnums(m);
    auto cls = py::class_<Params>(
        m, "ArrangeParams",
        "Every tuning value of one arrangement run. Keyword arguments take the library's names in "
        "snake case; unnamed ones keep the library's defaults. Every value is checked as it is "
        "set: one out of range raises oc.ArrangeBadParams (a ValueError). max_lines and "
        "max_unmatched_chars take None for no limit; angles are in radians.");
    cls.def(py::init(&makeParams));
    for (const Field& f : fields())
        cls.def_property(
            f.name, [get = f.get](const Params& p) { return get(p); },
            [&f](Params& p, const py::handle& v) { setField(f, p, v); });
    cls.def("__eq__", [](const Params& a, const Params& b) { return a == b; });
    cls.def("__copy__", [](const Params& p) { return Params(p); });
    cls.def("__repr__", [](const Params& p) {
        std::string out = "oc.ArrangeParams(";
        for (const Field& f : fields())
            out += std::string(f.name) + "=" + std::string(py::repr(f.get(p))) +
                   (&f == &fields().back() ? ")" : ", ");
        return out;
    });
}

} // namespace oc_python
