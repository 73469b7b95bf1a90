// The arranger on the development data set: alphabets from its fonts, results in the scorer's
// format.
#pragma once

#include "core/base/handle.h"
#include "oc/arrange/arrange_results.h"
#include "oc/oc/alphabet.h"
#include "support/dataset.h"

#include <string>

namespace oc_test {

// One model per character of the font: the normal ones with their image windowed to the cell and
// their client origin in the middle of the cell, the blanks with their cell's size and no image.
xcPtrHandle_const<xcOCAlphabet> datasetAlphabet(const Dataset& data, const std::string& font);

// One case of the results file: {"id", "time_ms", "chars": [{"status", "score", "pose"}...]},
// the pose mapping model-image to run-time image coordinates (each character's client pose placing
// the middle of its cell, as datasetAlphabet's models do).
std::string caseResultJson(const std::string& id, double timeMs, const xcOCArrangeResults& r,
                           const xcOCAlphabet& alphabet, const std::vector<long>& keys);

} // namespace oc_test
