// The results file: per case and expected character a status, a score and the pose that maps
// the model image into the run-time image.
#pragma once

#include "common/case_list.h"
#include "oc/arrange/arrange_results.h"
#include "oc/oc/alphabet.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

namespace oc_tools {

// One expected character as the results file gives it: status "matched", "inferred" or
// "unknown" (anything else counts as unknown), score 0..1, and the pose when it is valid.
struct CharReport {
    std::string status;
    double score = 0.0;
    std::optional<Pose> pose;
};

struct CaseReport {
    std::string id;
    std::optional<double> timeMs;
    std::vector<CharReport> chars;
};

// The arranger's result per key: its status, its score, and its client pose (which places the
// middle of the character's cell, where readAlphabetFolder puts the client origin) times the
// translation by minus the cell's centre, so that the pose maps the model image's pels.
std::vector<CharReport> charReports(const xcOCArrangeResults& results, const xcOCAlphabet& alphabet,
                                    const std::vector<long>& keys);

// {"id", "time_ms", "chars": [{"status", "score", "pose"}...]}.
nlohmann::json caseJson(const CaseReport& c);

// The cases of a results document {"cases": [...]}, read as leniently as the scorer reads them:
// a missing or malformed character, score or pose counts as unknown, 0 or invalid. A document
// that is not an object, or a case without a string id, throws std::runtime_error naming `name`.
std::vector<CaseReport> readResults(const nlohmann::json& doc, const std::string& name);

} // namespace oc_tools
