#include "cli/arrange_options.h"

#include <CLI/CLI.hpp>

#include <map>
#include <stdexcept>

namespace oc_tools {

namespace {

using D = xcOCArrangeDefs;

const std::map<std::string, D::LineType> kLineTypes = {
    {"straight", D::eStraight}, {"circular", D::eCircular}, {"dont_care", D::eDontCare}};
const std::map<std::string, D::OrientationMode> kModes = {{"specified", D::eSpecified},
                                                          {"average", D::eAverage}};
const std::map<std::string, D::OrientationReference> kReferences = {{"absolute", D::eAbsolute},
                                                                    {"relative", D::eRelative}};

template <class M>
std::string nameOf(const M& names, typename M::mapped_type v) {
    for (const auto& [name, value] : names)
        if (value == v) return name;
    return "";
}

template <class M>
std::vector<std::string> namesOf(const M& names) {
    std::vector<std::string> out;
    for (const auto& [name, value] : names) out.push_back(name);
    return out;
}

double degrees(const xcRadian& r) {
    return xcDegree(r).toDouble();
}

} // namespace

template <class T, class Set>
void ArrangeOptions::add(CLI::App& cmd, const std::string& name, T& store, const std::string& help,
                         Set set) {
    CLI::Option* o = cmd.add_option(name, store, help)->capture_default_str()->group("Arranger");
    fields_.push_back({o, [&store, set](xcOCArrangeParams& p) { set(p, store); }});
}

ArrangeOptions::ArrangeOptions(CLI::App& cmd) {
    const xcOCArrangeParams d;
    using P = xcOCArrangeParams;
    scaleRange_ = {d.scaleRange().start(), d.scaleRange().end()};
    add(cmd, "--scale-range", scaleRange_, "Print scales searched, LO,HI",
        [](P& p, const std::vector<double>& v) { p.scaleRange(xcRange(v[0], v[1])); });
    fields_.back().option->expected(2)->delimiter(',');
    minMatchScore_ = d.minMatchScore();
    add(cmd, "--min-match-score", minMatchScore_, "Lowest score of a matched character, 0..1",
        [](P& p, double v) { p.minMatchScore(v); });
    maxLines_ = d.maxLines();
    add(cmd, "--max-lines", maxLines_, "Most lines of text (2147483647: no limit)",
        [](P& p, long v) { p.maxLines(v); });
    lineType_ = nameOf(kLineTypes, d.lineType());
    add(cmd, "--line-type", lineType_, "Lines are straight, circular or either",
        [](P& p, const std::string& v) { p.lineType(kLineTypes.at(v)); });
    fields_.back().option->check(CLI::IsMember(namesOf(kLineTypes)));
    isTextDirectionSpecified_ = d.isTextDirectionSpecified();
    add(cmd, "--is-text-direction-specified", isTextDirectionSpecified_,
        "Straight lines run in --straight-text-direction-deg",
        [](P& p, bool v) { p.isTextDirectionSpecified(v); });
    straightTextDirectionDeg_ = degrees(d.straightTextDirection());
    add(cmd, "--straight-text-direction-deg", straightTextDirectionDeg_,
        "Direction of straight lines in degrees",
        [](P& p, double v) { p.straightTextDirection(xcRadian(xcDegree(v))); });
    isCircularTextDirectionClockwise_ = d.isCircularTextDirectionClockwise();
    add(cmd, "--is-circular-text-direction-clockwise", isCircularTextDirectionClockwise_,
        "Circular lines read clockwise",
        [](P& p, bool v) { p.isCircularTextDirectionClockwise(v); });
    maxUnmatchedChars_ = d.maxUnmatchedChars();
    add(cmd, "--max-unmatched-chars", maxUnmatchedChars_,
        "Most characters left unmatched (2147483647: no limit)",
        [](P& p, long v) { p.maxUnmatchedChars(v); });
    orientationMode_ = nameOf(kModes, d.orientationMode());
    add(cmd, "--orientation-mode", orientationMode_,
        "Characters stand at --expected-orientation-deg (specified) or at their line's average",
        [](P& p, const std::string& v) { p.orientationMode(kModes.at(v)); });
    fields_.back().option->check(CLI::IsMember(namesOf(kModes)));
    orientationReference_ = nameOf(kReferences, d.orientationReference());
    add(cmd, "--orientation-reference", orientationReference_,
        "Orientation measured in the image (absolute) or from the line's direction (relative)",
        [](P& p, const std::string& v) { p.orientationReference(kReferences.at(v)); });
    fields_.back().option->check(CLI::IsMember(namesOf(kReferences)));
    expectedOrientationDeg_ = degrees(d.expectedOrientation());
    add(cmd, "--expected-orientation-deg", expectedOrientationDeg_,
        "Expected character orientation in degrees",
        [](P& p, double v) { p.expectedOrientation(xcRadian(xcDegree(v))); });
    const std::pair<const char*, std::pair<double*, void (P::*)(double)>> costs[] = {
        {"--line-break-cost", {&lineBreakCost_, &P::lineBreakCost}},
        {"--unmatched-char-cost", {&unmatchedCharCost_, &P::unmatchedCharCost}},
        {"--normal-trans-cost", {&normalTransCost_, &P::normalTransCost}},
        {"--tangential-trans-cost", {&tangentialTransCost_, &P::tangentialTransCost}},
        {"--orientation-cost", {&orientationCost_, &P::orientationCost}},
        {"--scale-cost", {&scaleCost_, &P::scaleCost}}};
    const double costDefaults[] = {d.lineBreakCost(),   d.unmatchedCharCost(),
                                   d.normalTransCost(), d.tangentialTransCost(),
                                   d.orientationCost(), d.scaleCost()};
    for (std::size_t i = 0; i < std::size(costs); ++i) {
        const auto [store, setter] = costs[i].second;
        *store = costDefaults[i];
        add(cmd, costs[i].first, *store, "Weight of this cost in an arrangement's rating",
            [setter](P& p, double v) { (p.*setter)(v); });
    }
    compPoseUncertainties_ = d.compPoseUncertainties();
    add(cmd, "--comp-pose-uncertainties", compPoseUncertainties_,
        "Compute the uncertainties of the poses", [](P& p, bool v) { p.compPoseUncertainties(v); });
    maxCandidates_ = d.maxCandidates();
    add(cmd, "--max-candidates", maxCandidates_, "Most candidates the search keeps",
        [](P& p, long v) { p.maxCandidates(v); });
    timeout_ = d.timeout();
    add(cmd, "--timeout", timeout_, "Time limit of the search in seconds",
        [](P& p, double v) { p.timeout(v); });
}

xcOCArrangeParams ArrangeOptions::params() const {
    xcOCArrangeParams p;
    for (const Field& f : fields_) {
        if (f.option->count() == 0) continue;
        try {
            f.apply(p);
        } catch (const xcOCArrangeDefs::BadParams& e) {
            std::string given;
            for (const std::string& r : f.option->results())
                given += (given.empty() ? "" : ",") + r;
            throw std::runtime_error(f.option->get_name() + " " + given + ": " + e.message());
        }
    }
    return p;
}

} // namespace oc_tools
