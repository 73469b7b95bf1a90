// The keys that may stand at one character position of an expected text.
#pragma once

#include "core/base/handle.h"
#include "core/persist/archive_vector.h"
#include "foundation/export.h"

#include <string>
#include <vector>

class xcArchive;
class xcOCAlphabet;
class xcOCKeySet;

// Newest version 2: version byte, possible keys, current key indices, override keys, override
// lists (all in the vector format). Version 1 lacks the overrides; version 0 holds a single long
// current index instead of the vector. Older versions load with no overrides. Loaded values are
// stored without the setters' checks; reading a key through a current index outside the keys
// then throws xcOCDefs::BadIndex.
OC_API xcArchive& operator||(xcArchive& ar, xcOCKeySet& k);

// A position's possible keys, the indices of the currently expected ones among them, and per
// possible key an optional list of confusion-override keys. A current key index of -1 marks a
// wild card: any character may stand there and it has no key. The key set does not refer to an
// alphabet; whether its keys exist in one is checked by the line that uses it.
class OC_API xcOCKeySet {
public:
    // A wild card ({-1}) with no possible keys.
    xcOCKeySet();
    // The single current index is checked against the keys.
    xcOCKeySet(const std::vector<long>& keys, long currentKeyIndex);
    xcOCKeySet(const std::vector<long>& keys, const std::vector<long>& currentKeyIndices);
    // From character names: every character of the alphabet whose name is listed contributes its
    // key, in the order of the names and then of the alphabet; those named currentName become
    // current. Never a wild card.
    xcOCKeySet(const xcPtrHandle_const<xcOCAlphabet>& alphabet,
               const std::vector<std::string>& names, const std::string& currentName);
    xcOCKeySet(const xcOCKeySet&) = default;
    xcOCKeySet& operator=(const xcOCKeySet&) = default;

    const std::vector<long>& keys() const { return keys_; }
    // Replaces the possible keys (unique, and every current index must stay valid) and drops all
    // confusion overrides.
    void keys(const std::vector<long>& keys);

    const std::vector<long>& currentKeyIndices() const { return current_; }
    // Unique indices in -1 .. number of keys - 1; an empty vector is accepted.
    void currentKeyIndices(const std::vector<long>& indices);
    // The first current index; only for a set with one current index.
    long currentKeyIndex() const;
    void currentKeyIndex(long index);
    // The key at the first current index; only for a set with one current index that is not a
    // wild card.
    long currentKey() const;
    // The keys at the current indices, in their order; not for a wild card.
    std::vector<long> currentKeys() const;
    // Any current index is -1.
    bool isCurrentWildcard() const;

    // Sets (or replaces) the override list of a possible key; the list is not checked.
    void confusionOverrides(long key, const std::vector<long>& list);
    const std::vector<long>& confusionOverrides(long key) const;
    void removeConfusionOverrides(long key);
    bool hasConfusionOverrides(long key) const;

    // Possible keys and current indices equal in order; the same override keys (in any order),
    // each with an equal list.
    bool operator==(const xcOCKeySet& o) const;
    bool operator!=(const xcOCKeySet& o) const { return !(*this == o); }

    friend xcArchive& operator||(xcArchive& ar, xcOCKeySet& k);

private:
    // Index of the key among the possible keys, or -1.
    long keyIndex_(long key) const;
    // Index of the key among the override keys, or -1.
    long overrideIndex_(long key) const;
    // Throws BadIndex for an empty set of current indices (where "the first" is asked for).
    void checkHasCurrent_() const;
    // The index as a position in the keys; BadIndex when it lies outside them (a loaded set).
    std::size_t checkedKeyIndex_(long index) const;

    std::vector<long> current_;
    std::vector<long> keys_;
    std::vector<long> overrideKeys_;
    std::vector<std::vector<long>> overrideLists_;
};

// An archived key set takes at least 10 bytes (version 0: version, empty key vector, one index).
template <>
struct xcArchiveMinBytes<xcOCKeySet> {
    static constexpr std::size_t value = 10;
};
