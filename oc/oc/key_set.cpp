#include "oc/oc/key_set.h"

#include "core/persist/archive.h"
#include "core/persist/archive_vector.h"
#include "foundation/oc_defs.h"
#include "oc/oc/alphabet.h"
#include "oc/oc/detail/keys.h"

namespace {

const char* const kNotMember = "The specified key is not a member of the key set.";
const char* const kBadIndices =
    "At least one of the current key indices is not valid for specified set of possible keys.";
const char* const kBadIndex = "Current key index is not valid for specified set of possible keys.";
const char* const kOneElement = "Set of current key indices must contain only one element.";

bool indicesValid(const std::vector<long>& indices, std::size_t numKeys) {
    for (long i : indices)
        if (i < -1 || i >= static_cast<long>(numKeys)) return false;
    return true;
}

} // namespace

xcOCKeySet::xcOCKeySet() : current_{-1} {
}

xcOCKeySet::xcOCKeySet(const std::vector<long>& keys, long currentKeyIndex)
    : current_{currentKeyIndex} {
    this->keys(keys);
}

xcOCKeySet::xcOCKeySet(const std::vector<long>& keys, const std::vector<long>& currentKeyIndices)
    : current_{-1} {
    this->keys(keys);
    this->currentKeyIndices(currentKeyIndices);
}

xcOCKeySet::xcOCKeySet(const xcPtrHandle_const<xcOCAlphabet>& alphabet,
                       const std::vector<std::string>& names, const std::string& currentName) {
    for (std::size_t i = 0; i < names.size(); ++i)
        for (std::size_t j = i + 1; j < names.size(); ++j)
            if (names[i] == names[j])
                throw xcOCDefs::SameKey(
                    "Possible character names for a character position must be unique.");
    // A name that several characters share contributes all their keys, in alphabet order.
    for (const std::string& name : names) {
        bool found = false;
        for (const xcPtrHandle_const<xcOCModel>& model : alphabet->characters()) {
            if (model->name() != name) continue;
            found = true;
            keys_.push_back(model->key());
            if (name == currentName) current_.push_back(static_cast<long>(keys_.size()) - 1);
        }
        if (!found)
            throw xcOCDefs::BadKey(
                "At least one of the character names is not found in the supplied alphabet.");
    }
    if (current_.empty())
        throw xcOCDefs::BadIndex(
            "Current character is not valid for specified set of possible character names.");
}

void xcOCKeySet::keys(const std::vector<long>& keys) {
    if (oc_detail::hasDuplicates(keys))
        throw xcOCDefs::SameKey("Possible keys for a character position must be unique.");
    if (!indicesValid(current_, keys.size())) throw xcOCDefs::BadIndex(kBadIndices);
    overrideKeys_.clear();
    overrideLists_.clear();
    keys_ = keys;
}

void xcOCKeySet::currentKeyIndices(const std::vector<long>& indices) {
    if (oc_detail::hasDuplicates(indices)) throw xcOCDefs::BadIndex("Key indices must be unique.");
    if (!indicesValid(indices, keys_.size())) throw xcOCDefs::BadIndex(kBadIndices);
    current_ = indices;
}

void xcOCKeySet::checkHasCurrent_() const {
    if (current_.empty()) throw xcOCDefs::BadIndex(kBadIndex);
}

std::size_t xcOCKeySet::checkedKeyIndex_(long index) const {
    // A key set loaded from an archive keeps its indices unchecked; reading through one that
    // lies outside the keys is refused here.
    if (index < 0 || index >= static_cast<long>(keys_.size())) throw xcOCDefs::BadIndex(kBadIndex);
    return static_cast<std::size_t>(index);
}

long xcOCKeySet::currentKeyIndex() const {
    if (current_.size() >= 2) throw xcOCDefs::BadParams(kOneElement);
    checkHasCurrent_();
    return current_.front();
}

void xcOCKeySet::currentKeyIndex(long index) {
    if (current_.size() >= 2) throw xcOCDefs::BadParams(kOneElement);
    if (index < -1 || index >= static_cast<long>(keys_.size())) throw xcOCDefs::BadIndex(kBadIndex);
    checkHasCurrent_();
    current_.front() = index;
}

long xcOCKeySet::currentKey() const {
    checkHasCurrent_();
    if (current_.front() == -1) throw xcOCDefs::BadKey("Wild-card characters have no key.");
    if (current_.size() >= 2) throw xcOCDefs::BadParams(kOneElement);
    return keys_[checkedKeyIndex_(current_.front())];
}

std::vector<long> xcOCKeySet::currentKeys() const {
    if (isCurrentWildcard()) throw xcOCDefs::BadKey("Wild-card characters have no key index.");
    std::vector<long> keys;
    keys.reserve(current_.size());
    for (long i : current_) keys.push_back(keys_[checkedKeyIndex_(i)]);
    return keys;
}

bool xcOCKeySet::isCurrentWildcard() const {
    for (long i : current_)
        if (i == -1) return true;
    return false;
}

long xcOCKeySet::keyIndex_(long key) const {
    for (std::size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i] == key) return static_cast<long>(i);
    return -1;
}

long xcOCKeySet::overrideIndex_(long key) const {
    for (std::size_t i = 0; i < overrideKeys_.size(); ++i)
        if (overrideKeys_[i] == key) return static_cast<long>(i);
    return -1;
}

void xcOCKeySet::confusionOverrides(long key, const std::vector<long>& list) {
    if (keyIndex_(key) < 0) throw xcOCDefs::BadKey(kNotMember);
    const long i = overrideIndex_(key);
    if (i >= 0) {
        overrideLists_[static_cast<std::size_t>(i)] = list;
        return;
    }
    // Grow both vectors before either changes, so that a failed allocation leaves them parallel.
    overrideLists_.reserve(overrideLists_.size() + 1);
    overrideKeys_.reserve(overrideKeys_.size() + 1);
    overrideLists_.push_back(list);
    overrideKeys_.push_back(key);
}

const std::vector<long>& xcOCKeySet::confusionOverrides(long key) const {
    if (keyIndex_(key) < 0) throw xcOCDefs::BadKey(kNotMember);
    const long i = overrideIndex_(key);
    if (i < 0)
        throw xcOCDefs::BadKey("There are no confusion keys overrides for the specified key.");
    return overrideLists_[static_cast<std::size_t>(i)];
}

void xcOCKeySet::removeConfusionOverrides(long key) {
    if (keyIndex_(key) < 0) throw xcOCDefs::BadKey(kNotMember);
    const long i = overrideIndex_(key);
    if (i < 0)
        throw xcOCDefs::BadKey("There are no confusion keys overrides for the specified key.");
    // The last override takes the removed one's place.
    const std::size_t u = static_cast<std::size_t>(i);
    if (u + 1 != overrideKeys_.size()) {
        overrideKeys_[u] = overrideKeys_.back();
        overrideLists_[u].swap(overrideLists_.back());
    }
    overrideKeys_.pop_back();
    overrideLists_.pop_back();
}

bool xcOCKeySet::hasConfusionOverrides(long key) const {
    if (keyIndex_(key) < 0) throw xcOCDefs::BadKey(kNotMember);
    return overrideIndex_(key) >= 0;
}

bool xcOCKeySet::operator==(const xcOCKeySet& o) const {
    if (keys_ != o.keys_ || current_ != o.current_) return false;
    if (overrideKeys_.size() != o.overrideKeys_.size()) return false;
    for (std::size_t i = 0; i < overrideKeys_.size(); ++i) {
        const long j = o.overrideIndex_(overrideKeys_[i]);
        if (j < 0 || overrideLists_[i] != o.overrideLists_[static_cast<std::size_t>(j)])
            return false;
    }
    return true;
}

xcArchive& operator||(xcArchive& ar, xcOCKeySet& k) {
    const unsigned char version = xfExchangeVersion(ar, "xcOCKeySet", 2);
    if (ar.isStoring()) {
        ar || k.keys_;
        ar || k.current_;
        ar || k.overrideKeys_;
        ar || k.overrideLists_;
        return ar;
    }
    // Loading takes the values as stored, without the setters' checks: a current index outside
    // the keys is kept and refused by whatever reads the key through it. Override lists that do
    // not pair with the override keys are damage.
    xcOCKeySet loaded;
    ar || loaded.keys_;
    if (version == 0) {
        long index = 0;
        ar || index;
        loaded.current_.assign(1, index);
    } else {
        ar || loaded.current_;
    }
    if (version == 2) {
        ar || loaded.overrideKeys_;
        ar || loaded.overrideLists_;
    }
    if (loaded.overrideLists_.size() != loaded.overrideKeys_.size())
        throw xcArchive::BadFormat("xcOCKeySet: override keys and lists differ in number");
    k = std::move(loaded);
    return ar;
}
