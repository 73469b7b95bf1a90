// The cases of an evaluation data set (cases.json) with their truth.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace oc_tools {

// [a, b, c, d, tx, ty]: x' = a x + b y + tx, y' = c x + d y + ty, model image to run-time image.
using Pose = std::array<double, 6>;

// Where one expected character stands and whether it is printed as expected.
struct TruthChar {
    bool present = false;
    bool correct = false;
    bool sym180 = false;
    Pose pose{};
    std::optional<Pose> pose180; // a symmetric glyph's other pose
};

struct EvalCase {
    std::string id;
    std::string imagePath; // joined to the data set's folder
    std::string font;
    std::vector<long> keys;
    std::vector<std::string> tags;
    std::vector<TruthChar> truth; // one per key
};

// Reads dir/cases.json. Throws std::runtime_error naming the file and the case at fault.
std::vector<EvalCase> readCaseList(const std::string& dir);

} // namespace oc_tools
