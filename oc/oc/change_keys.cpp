#include "oc/oc/change_keys.h"

#include "foundation/oc_defs.h"

namespace {

using Lines = xcOCLineArrangement::Lines;

const Lines& checkedLines(const xcOCLineArrangement& arrangement, long lineIndex) {
    const Lines& lines = arrangement.lines();
    if (lineIndex < 0 || lineIndex >= static_cast<long>(lines.size()))
        throw xcOCDefs::BadParams("The supplied line index is not valid.");
    return lines;
}

// The common step of every form; with `wildcard` the keys are only a placeholder.
xcPtrHandle<xcOCLineArrangement> change(const xcOCLineArrangement& arrangement, long lineIndex,
                                        long positionIndex, const std::vector<long>& keys,
                                        bool wildcard) {
    if (keys.empty())
        throw xcOCDefs::BadKey("At least one of the keys is not found in the alphabet.");
    Lines lines = checkedLines(arrangement, lineIndex);
    const xcOCLine& line = *lines[static_cast<std::size_t>(lineIndex)];
    const std::vector<xcOCKeySet>& keySets = line.keySetSequence();
    if (positionIndex < 0 || positionIndex >= static_cast<long>(keySets.size()))
        throw xcOCDefs::BadParams("The supplied position index is not valid.");

    xcOCKeySet keySet = keySets[static_cast<std::size_t>(positionIndex)];
    std::vector<long> indices;
    if (wildcard) {
        indices.push_back(-1);
    } else {
        const std::vector<long>& possible = keySet.keys();
        for (long key : keys) {
            long index = -1;
            for (std::size_t i = 0; i < possible.size() && index < 0; ++i)
                if (possible[i] == key) index = static_cast<long>(i);
            if (index < 0)
                throw xcOCDefs::BadKey("The specified key is not in the keySet for this position.");
            indices.push_back(index);
        }
    }
    keySet.currentKeyIndices(indices);

    std::vector<xcOCKeySet> newKeySets = keySets;
    newKeySets[static_cast<std::size_t>(positionIndex)] = keySet;
    // The full constructors check everything again.
    lines[static_cast<std::size_t>(lineIndex)] = xcPtrHandle_const<xcOCLine>(
        new xcOCLine(newKeySets, line.alphabet(), line.charPoses(), line.charScales(),
                     line.translationUncertainties(), line.rotationUncertainties(),
                     line.scaleUncertainties(), line.name()));
    return xcPtrHandle<xcOCLineArrangement>(new xcOCLineArrangement(
        lines, arrangement.linePoses(), arrangement.translationUncertainties(),
        arrangement.rotationUncertainties(), arrangement.name()));
}

} // namespace

xcPtrHandle<xcOCLineArrangement> xfOCChangeCurrentKeys(const xcOCLineArrangement& arrangement,
                                                       long lineIndex, long positionIndex,
                                                       const std::vector<long>& keys) {
    return change(arrangement, lineIndex, positionIndex, keys, false);
}

xcPtrHandle<xcOCLineArrangement> xfOCChangeCurrentKeys(const xcOCLineArrangement& arrangement,
                                                       long lineIndex, long positionIndex,
                                                       const std::string& name) {
    const Lines& lines = checkedLines(arrangement, lineIndex);
    std::vector<long> keys;
    for (const xcPtrHandle_const<xcOCModel>& m :
         lines[static_cast<std::size_t>(lineIndex)]->alphabet()->characters())
        if (m->name() == name) keys.push_back(m->key());
    return change(arrangement, lineIndex, positionIndex, keys, false);
}

xcPtrHandle<xcOCLineArrangement> xfOCChangeCurrentKey(const xcOCLineArrangement& arrangement,
                                                      long lineIndex, long positionIndex,
                                                      long key) {
    return change(arrangement, lineIndex, positionIndex, std::vector<long>{key}, false);
}

xcPtrHandle<xcOCLineArrangement> xfOCChangeCurrentKey(const xcOCLineArrangement& arrangement,
                                                      long lineIndex, long positionIndex) {
    return change(arrangement, lineIndex, positionIndex, std::vector<long>{-1}, true);
}
