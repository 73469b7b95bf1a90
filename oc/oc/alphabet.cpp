#include "oc/oc/alphabet.h"

#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"
#include "core/persist/archive_vector.h"
#include "foundation/oc_defs.h"
#include "oc/oc/detail/keys.h"

#include <algorithm>
#include <utility>

namespace {

const char* const kNoCharacter =
    "The character for the specified key does not exist in the alphabet.";
const char* const kDuplicateKeys =
    "The keys for at least two of the supplied characters are identical.";

xcOCAlphabet::Models toConst(const xcOCAlphabet::MutableModels& models) {
    return xcOCAlphabet::Models(models.begin(), models.end());
}

// The keys of the models in order; a null handle throws the core's xcBadPointer here.
std::vector<long> keysOf(const xcOCAlphabet::Models& models) {
    std::vector<long> keys;
    keys.reserve(models.size());
    for (const xcPtrHandle_const<xcOCModel>& m : models) keys.push_back(m->key());
    return keys;
}

std::size_t dim(std::size_t n) {
    return std::max<std::size_t>(1, n);
}

// Swaps rows i and j and columns i and j of a square matrix.
void swapRowsAndColumns(xcNMMatrix& m, std::size_t i, std::size_t j) {
    const long n = m.rows();
    const long a = static_cast<long>(i), b = static_cast<long>(j);
    for (long k = 0; k < n; ++k) std::swap(m(a, k), m(b, k));
    for (long k = 0; k < n; ++k) std::swap(m(k, a), m(k, b));
}

} // namespace

xc_Instantiator xcOCAlphabet::sExemplar(typeid(xcOCAlphabet), &xcOCAlphabet::make);

xcPersistent* xcOCAlphabet::make() {
    return new xcOCAlphabet();
}

xcOCAlphabet::xcOCAlphabet() : matrix_(1, 1) {
}

xcOCAlphabet::xcOCAlphabet(const Models& models, double confusionThreshold, bool compile,
                           const std::string& name)
    : isCompiled_(false), name_(name), matrix_(1, 1) {
    this->confusionThreshold(confusionThreshold);
    characters(models, compile);
}

xcOCAlphabet::xcOCAlphabet(const MutableModels& models, double confusionThreshold, bool compile,
                           const std::string& name)
    : xcOCAlphabet(toConst(models), confusionThreshold, compile, name) {
}

xcOCAlphabet::xcOCAlphabet(const xcOCAlphabet& o)
    : xcPersistent(o), xcRepBase(o), isCompiled_(false), matrix_(1, 1) {
    *this = o;
}

xcOCAlphabet& xcOCAlphabet::operator=(const xcOCAlphabet& o) {
    if (this == &o) return *this;
    // Copy what can fail first, then commit.
    std::vector<std::vector<xcXform<2>>> offsets(o.offsets_);
    std::string name(o.name_);
    Models characters(o.characters_);
    xcNMMatrix matrix = o.isCompiled_ ? o.matrix_ : matrix_;
    xcPersistent::operator=(o);
    confusionThreshold_ = o.confusionThreshold_;
    offsets_.swap(offsets);
    name_.swap(name);
    characters_.swap(characters);
    isCompiled_ = o.isCompiled_;
    std::swap(matrix_, matrix);
    return *this;
}

xcOCAlphabet::~xcOCAlphabet() = default;

long xcOCAlphabet::characterIndex(long key) const {
    for (std::size_t i = 0; i < characters_.size(); ++i)
        if (characters_[i]->key() == key) return static_cast<long>(i);
    return -1;
}

std::size_t xcOCAlphabet::indexOf_(long key) const {
    const long i = characterIndex(key);
    if (i < 0) throw xcOCDefs::BadKey(kNoCharacter);
    return static_cast<std::size_t>(i);
}

const xcPtrHandle_const<xcOCModel>& xcOCAlphabet::character(long key) const {
    return characters_[indexOf_(key)];
}

double xcOCAlphabet::confusion(long key1, long key2) const {
    if (!isCompiled_) throw xcOCDefs::NotCompiled();
    const std::size_t i = indexOf_(key1), j = indexOf_(key2);
    return matrix_(static_cast<long>(i), static_cast<long>(j));
}

bool xcOCAlphabet::areConfusable(long key1, long key2) const {
    double threshold = confusionThreshold_;
    const std::size_t i = indexOf_(key1);
    // A blank is confusable with anything that scored at all against it.
    if (characters_[i]->charType() == xcOCModel::eBlank) threshold = 0.0;
    return confusion(key1, key2) > threshold;
}

xcXform<2> xcOCAlphabet::characterOffset(long key1, long key2) const {
    if (!isCompiled_) throw xcOCDefs::NotCompiled();
    const std::size_t i = indexOf_(key1), j = indexOf_(key2);
    return offsets_[i][j];
}

void xcOCAlphabet::name(const std::string& name) {
    name_ = name;
}

void xcOCAlphabet::confusionThreshold(double t) {
    if (!(t >= 0.0 && t <= 1.0))
        throw xcOCDefs::BadParams("Confusion threshold must be between 0 and 1.");
    confusionThreshold_ = t;
    mutating();
}

void xcOCAlphabet::confusionThreshold(double t, bool) {
    confusionThreshold(t);
}

void xcOCAlphabet::characters(const Models& models, bool compile) {
    const std::vector<long> keys = keysOf(models);
    if (oc_detail::hasDuplicates(keys)) throw xcOCDefs::SameKey(kDuplicateKeys);
    Models copy(models);
    characters_.swap(copy);
    mutating();
    isCompiled_ = false;
    if (compile) this->compile(nullptr, 0);
}

void xcOCAlphabet::characters(const MutableModels& models, bool compile) {
    characters(toConst(models), compile);
}

void xcOCAlphabet::add(const xcPtrHandle_const<xcOCModel>& model, bool compile) {
    add(Models{model}, compile);
}

void xcOCAlphabet::add(const Models& models, bool compile) {
    // The check against the alphabet comes first, so its message wins over the duplicate one.
    const std::vector<long> keys = keysOf(models);
    for (long key : keys)
        if (hasCharacter(key))
            throw xcOCDefs::SameKey("At least one of the supplied characters has the same key as "
                                    "one of the characters in the alphabet.");
    if (oc_detail::hasDuplicates(keys)) throw xcOCDefs::SameKey(kDuplicateKeys);
    characters_.reserve(characters_.size() + models.size());
    mutating();
    characters_.insert(characters_.end(), models.begin(), models.end());
    isCompiled_ = false;
    if (compile) this->compile(nullptr, 0);
}

void xcOCAlphabet::add(const MutableModels& models, bool compile) {
    add(toConst(models), compile);
}

void xcOCAlphabet::remove(long key) {
    remove(std::vector<long>{key});
}

void xcOCAlphabet::remove(const std::vector<long>& keys) {
    if (keys.empty()) return;
    for (long key : keys)
        if (!hasCharacter(key))
            throw xcOCDefs::BadKey(
                "At least one of the supplied keys does not reference a character in this "
                "alphabet.");
    if (oc_detail::hasDuplicates(keys))
        throw xcOCDefs::SameKey("At least one of the supplied keys is identical.");
    // Work on copies and commit at the end, so that a failed allocation changes nothing.
    Models chars(characters_);
    xcNMMatrix matrix = isCompiled_ ? matrix_ : xcNMMatrix(1, 1);
    std::vector<std::vector<xcXform<2>>> offsets = isCompiled_ ? offsets_ : decltype(offsets_)();
    for (long key : keys) {
        const std::size_t last = chars.size() - 1;
        std::size_t i = 0;
        while (chars[i]->key() != key) ++i;
        // The last character moves into the gap; its scores and offsets go with it.
        chars[i] = chars[last];
        chars.pop_back();
        if (i < last && isCompiled_) {
            swapRowsAndColumns(matrix, i, last);
            offsets[i].swap(offsets[last]);
            for (std::vector<xcXform<2>>& row : offsets) std::swap(row[i], row[last]);
        }
    }
    const std::size_t n = chars.size();
    xcNMMatrix shrunk(static_cast<long>(dim(n)), static_cast<long>(dim(n)));
    if (isCompiled_) {
        for (long r = 0; r < static_cast<long>(n); ++r)
            for (long c = 0; c < static_cast<long>(n); ++c) shrunk(r, c) = matrix(r, c);
        offsets.resize(n);
        for (std::vector<xcXform<2>>& row : offsets) row.resize(n);
    }
    mutating();
    characters_.swap(chars);
    std::swap(matrix_, shrunk);
    if (isCompiled_) offsets_.swap(offsets);
}

bool xcOCAlphabet::operator==(const xcOCAlphabet& o) const {
    if (characters_.size() != o.characters_.size()) return false;
    for (std::size_t i = 0; i < characters_.size(); ++i)
        if (!(*characters_[i] == *o.characters_[i])) return false;
    return name_ == o.name_ && confusionThreshold_ == o.confusionThreshold_ &&
           isCompiled_ == o.isCompiled_;
}

bool xfRealEq(const xcOCAlphabet& a, const xcOCAlphabet& b, double tol) {
    if (a.characters().size() != b.characters().size()) return false;
    for (std::size_t i = 0; i < a.characters().size(); ++i)
        if (!xfRealEq(*a.characters()[i], *b.characters()[i], tol)) return false;
    return a.name() == b.name() && xfRealEq(a.confusionThreshold(), b.confusionThreshold(), tol) &&
           a.isCompiled() == b.isCompiled();
}

void xcOCAlphabet::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    serialize_(ar, xfExchangeVersion(ar, "xcOCAlphabet", 1));
    setVisited(ar);
}

void xcOCAlphabet::serialize_(xcArchive& ar, unsigned char version) {
    xcPersistent::dispatchSerialize(ar);
    if (ar.isStoring()) {
        ar || name_ || confusionThreshold_;
        ar || characters_;
        ar || isCompiled_ || matrix_;
        ar || offsets_;
        return;
    }
    // Read into locals and commit at the end, so that a damaged archive changes nothing.
    std::string name;
    double threshold = 0.5;
    Models chars;
    bool compiled = false;
    xcNMMatrix matrix(1, 1);
    std::vector<std::vector<xcXform<2>>> offsets;
    ar || name || threshold;
    ar || chars;
    ar || compiled;
    for (const xcPtrHandle_const<xcOCModel>& m : chars)
        if (m.isNull()) throw xcArchive::BadFormat("xcOCAlphabet: a character is missing");
    if (oc_detail::hasDuplicates(keysOf(chars)))
        throw xcArchive::BadFormat("xcOCAlphabet: two characters share a key");
    if (version == 0 && compiled) {
        // An old archive stores no scores: a compiled one is compiled again as it loads. A copy
        // is compiled, so that characters that cannot be compiled, or the caller's time limit,
        // leave this alphabet as it was.
        xcOCAlphabet copy;
        copy.confusionThreshold_ = threshold;
        copy.characters_ = chars;
        copy.isCompiled_ = false;
        copy.compile(nullptr, 0);
        std::swap(matrix, copy.matrix_);
        offsets.swap(copy.offsets_);
    } else if (version != 0) {
        ar || matrix;
        ar || offsets;
        if (compiled) {
            const std::size_t n = chars.size();
            const long d = static_cast<long>(dim(n));
            bool fits = matrix.rows() == d && matrix.cols() == d && offsets.size() == n;
            for (const std::vector<xcXform<2>>& row : offsets) fits = fits && row.size() == n;
            if (!fits)
                throw xcArchive::BadFormat(
                    "xcOCAlphabet: the scores do not fit the characters of a compiled alphabet");
        }
    }
    name_.swap(name);
    confusionThreshold_ = threshold;
    characters_.swap(chars);
    isCompiled_ = compiled;
    std::swap(matrix_, matrix);
    offsets_.swap(offsets);
}
