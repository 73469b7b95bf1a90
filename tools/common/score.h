// The evaluation figures of a results file against a data set's truth: location per character,
// verification per character and per string at an accept threshold, and times.
#pragma once

#include "common/alphabet_folder.h"
#include "common/case_list.h"
#include "common/results_json.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace oc_tools {

// Shares are in 0..1 and empty when nothing was counted. A character is located when it is
// present, its status is not unknown and its pose puts the centre of the model's area within
// 2 px of where the truth puts it, the angle within 5 degrees (modulo 180 for a sym180 glyph,
// which may also stand at its pose180). It is accepted when matched with a score >= tau. Blanks
// count for location only. A defect-free case passes when every character is accepted, a
// defective one when at least one is rejected.
struct Figures {
    long cases = 0;
    long chars = 0;
    std::optional<double> loc, locNormal, locBlank;
    std::optional<double> goodAcc, goodAccLoc, defRej;
    std::optional<double> strGood, strDef, str;
    long goodCases = 0;
    long defectCases = 0;
    std::optional<double> tMedMs, tP90Ms; // median and 90th percentile of the cases' times
};

struct Score {
    double tau = 0.5;
    // "all", then each tag in the order straight, horizontal, tilt, rotated, circular,
    // multiline, scale, noise, blur, light, clutter, defect, dotmatrix, then other tags sorted.
    std::vector<std::pair<std::string, Figures>> groups;
    // The tau in 0.00 .. 1.00 with the highest mean of the two string rates (the middle of the
    // best plateau), that mean, and the figures there.
    double bestTau = 0.0;
    double bestBalancedStr = 0.0;
    Figures atBestTau;
    // Cases missing from the results or with another number of characters (they count as
    // unknown where characters are missing).
    std::vector<std::string> problems;
};

// The fonts' characters by font and key. A key of a case missing from its font throws
// std::runtime_error.
using FontChars = std::map<std::string, std::map<long, FolderChar>>;
Score scoreResults(const std::vector<EvalCase>& cases, const FontChars& fonts,
                   const std::vector<CaseReport>& results, double tau);

// The figures as a text block: the tau line, the table by group and the best-tau line.
std::string formatScore(const Score& s);

} // namespace oc_tools
