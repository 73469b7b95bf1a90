// An alphabet folder: alphabet.json and one model image per normal character, read into an
// alphabet.
#pragma once

#include "core/base/handle.h"
#include "core/geom/rect.h"
#include "oc/oc/alphabet.h"

#include <map>
#include <string>

namespace oc_tools {

// One entry of alphabet.json: the character's cell in its model image's pel coordinates.
struct FolderChar {
    long key = 0;
    std::string name;
    bool blank = false;
    bool sym180 = false;
    xcPelRect area;
};

struct AlphabetFolder {
    xcPtrHandle_const<xcOCAlphabet> alphabet;
    std::map<long, FolderChar> chars;
};

// Reads dir/alphabet.json (a list of {name, key, type "normal" or "blank", file, area [x, y, w,
// h], sym180}) and the images it names. A normal model's image is windowed to its area and its
// client origin put in the middle of the area (client-from-image = translation by minus the
// area's centre), because the arranger fits its lines through the models' client origins; a
// blank model keeps only its area. The alphabet is named after the folder, threshold 0.5, not
// compiled. Throws std::runtime_error naming the file and entry at fault.
AlphabetFolder readAlphabetFolder(const std::string& dir);

} // namespace oc_tools
