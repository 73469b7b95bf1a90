// New line arrangements that differ from an old one only in the current keys of one position.
#pragma once

#include "core/base/handle.h"
#include "foundation/export.h"
#include "oc/oc/line_arrangement.h"

#include <string>
#include <vector>

// Each returns a new arrangement equal to `arrangement` except that the key set at positionIndex
// of line lineIndex has new current keys; the changed line is new, every other line handle is
// shared with the old arrangement, which is never changed. The keys must be possible keys of the
// position, each given once.

// The given keys, in the given order.
OC_API xcPtrHandle<xcOCLineArrangement>
xfOCChangeCurrentKeys(const xcOCLineArrangement& arrangement, long lineIndex, long positionIndex,
                      const std::vector<long>& keys);
// The keys of every character of the line's alphabet with this name, in alphabet order.
OC_API xcPtrHandle<xcOCLineArrangement>
xfOCChangeCurrentKeys(const xcOCLineArrangement& arrangement, long lineIndex, long positionIndex,
                      const std::string& name);
// The one key.
OC_API xcPtrHandle<xcOCLineArrangement> xfOCChangeCurrentKey(const xcOCLineArrangement& arrangement,
                                                             long lineIndex, long positionIndex,
                                                             long key);
// No key: the position becomes a wild card.
OC_API xcPtrHandle<xcOCLineArrangement> xfOCChangeCurrentKey(const xcOCLineArrangement& arrangement,
                                                             long lineIndex, long positionIndex);
