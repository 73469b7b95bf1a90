#include "oc/occhar/character.h"

#include <algorithm>
#include <cstdint>

namespace {

// The unique instance key for `key` against the keys in [first, last).
template <class It, class KeyOf>
xcOCCharKey uniqueInstanceKey(const xcOCCharKey& key, It first, It last, KeyOf keyOf) {
    std::vector<long> used;
    bool conflict = false;
    for (It it = first; it != last; ++it) {
        const xcOCCharKey& k = keyOf(*it);
        if (!k.equalCharacterCode(key) || !k.isInstanceSpecified()) continue;
        used.push_back(k.instance());
        if (k.instance() == key.instance()) conflict = true;
    }
    if (used.size() >= static_cast<std::size_t>(INT32_MAX))
        throw xcOCDefs::BadParams("All key values in use");
    if (!conflict && key.isInstanceSpecified()) return key;
    std::sort(used.begin(), used.end());
    // The first position whose value differs from the position; repeats count as positions.
    long freeInstance = static_cast<long>(used.size());
    for (std::size_t i = 0; i < used.size(); ++i)
        if (used[i] != static_cast<long>(i)) {
            freeInstance = static_cast<long>(i);
            break;
        }
    xcOCCharKey result(key);
    result.instance(freeInstance);
    return result;
}

const xcOCCharKey& ownKey(const xcOCCharKey& k) {
    return k;
}
const xcOCCharKey& charKey(const xcOCChar& c) {
    return c.key();
}

} // namespace

xcOCCharKey xcOCChar::makeUniqueInstanceKey(const xcOCCharKey& key,
                                            const std::vector<xcOCCharKey>& keys) {
    return uniqueInstanceKey(key, keys.begin(), keys.end(), ownKey);
}

xcOCCharKey xcOCChar::makeUniqueInstanceKey(const xcOCCharKey& key,
                                            const std::vector<xcOCChar>& chars) {
    return uniqueInstanceKey(key, chars.begin(), chars.end(), charKey);
}

bool xcOCChar::makeUniqueInstanceKeys(std::vector<xcOCCharKey>& keys) {
    if (keys.empty()) return false;
    if (!keys.front().isInstanceSpecified()) keys.front().instance(0);
    bool changed = false;
    for (auto it = keys.begin() + 1; it != keys.end(); ++it) {
        const xcOCCharKey unique = uniqueInstanceKey(*it, keys.begin(), it, ownKey);
        if (unique != *it) {
            *it = unique;
            changed = true;
        }
    }
    return changed;
}
