// The evaluation data set (fonts with their model images, run-time cases with exact truth),
// read for benchmarks that measure the search tools on printed codes.
#pragma once

#include "core/geom/xform.h"
#include "core/image/pel_buffer.h"

#include <map>
#include <string>
#include <vector>

namespace oc_test {

// One normal character of a font: its key and its model image windowed to its cell.
struct DatasetChar {
    std::string name;
    long key = 0;
    xcPelBuffer<unsigned char> image; // window = the cell, in the model image's coordinates
};

// Where one expected character stands: the truth pose maps model-image coordinates to run-time
// image coordinates; pose180 is the turned pose of a sym180 glyph (else equal to pose).
struct DatasetTruth {
    long key = 0;
    bool present = false;
    bool sym180 = false;
    std::string defect; // "" for a sound character, else the kind ("half-erased", "missing", ...)
    xcXform<2> pose;
    xcXform<2> pose180;
};

// A blank character of a font: no image, only its cell's size.
struct DatasetBlank {
    std::string name;
    long key = 0;
    long width = 0, height = 0;
};

struct DatasetCase {
    std::string id;
    std::vector<long> keys; // the expected text, blanks included
    std::string font;
    std::vector<std::string> tags;
    std::string imagePath;
    std::vector<DatasetTruth> truth; // one per expected character, blanks left out
};

struct Dataset {
    std::map<std::string, std::vector<DatasetChar>> fonts;
    std::map<std::string, std::vector<DatasetBlank>> blanks;
    std::vector<DatasetCase> cases;
};

// Reads the data set in `dir` (fonts/<id>/alphabet.json, the model PGMs, cases.json); the case
// images are read later with readPgm. Throws std::runtime_error naming the file at fault.
Dataset readDataset(const std::string& dir);

} // namespace oc_test
