// The arranger's parameters as command-line options, one per field, with the library's defaults.
#pragma once

#include "oc/arrange/arrange_params.h"

#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace oc_tools {

// Options named after the fields in snake case (--min-match-score, --line-type straight, angles
// in degrees as --expected-orientation-deg, --scale-range 0.9,1.1). Holds the parsed values, so
// it stays where it was made.
class ArrangeOptions {
public:
    explicit ArrangeOptions(CLI::App& cmd);
    ArrangeOptions(const ArrangeOptions&) = delete;
    ArrangeOptions& operator=(const ArrangeOptions&) = delete;

    // The library's defaults with every given option set through the library's setters; a value
    // they refuse throws std::runtime_error "--option value: <the library's message>".
    xcOCArrangeParams params() const;

private:
    struct Field {
        CLI::Option* option;
        std::function<void(xcOCArrangeParams&)> apply;
    };
    template <class T, class Set>
    void add(CLI::App& cmd, const std::string& name, T& store, const std::string& help, Set set);

    std::vector<Field> fields_;
    std::vector<double> scaleRange_;
    double minMatchScore_, straightTextDirectionDeg_, expectedOrientationDeg_;
    long maxLines_, maxUnmatchedChars_, maxCandidates_;
    std::string lineType_, orientationMode_, orientationReference_;
    bool isTextDirectionSpecified_, isCircularTextDirectionClockwise_, compPoseUncertainties_;
    double lineBreakCost_, unmatchedCharCost_, normalTransCost_, tangentialTransCost_;
    double orientationCost_, scaleCost_, timeout_;
};

} // namespace oc_tools
