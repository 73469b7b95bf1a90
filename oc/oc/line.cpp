#include "oc/oc/line.h"

#include "core/geom/polygon.h"
#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"
#include "core/persist/archive_vector.h"
#include "foundation/oc_defs.h"
#include "submodel/enclose_rect.h"

#include <optional>

namespace {

using Alphabet = xcPtrHandle_const<xcOCAlphabet>;

void check(bool ok, const char* message) {
    if (!ok) throw xcOCDefs::BadParams(message);
}

void checkAlphabet(const Alphabet& alphabet) {
    check(!alphabet.isNull(), "Alphabet must point to a valid object.");
}

void checkCount(std::size_t n, std::size_t numKeySets, const char* message) {
    check(n == numKeySets, message);
}

const char* const kScale = "Character scale factors must be > 0";
const char* const kScaleUnc = "Character scale uncertainty must be >= 0";

// Every possible key of every key set, not only the current ones, must be in the alphabet.
void checkKeys(const std::vector<xcOCKeySet>& keySets, const xcOCAlphabet& alphabet) {
    for (const xcOCKeySet& ks : keySets)
        for (long key : ks.keys())
            if (!alphabet.hasCharacter(key))
                throw xcOCDefs::BadKey(
                    "A key in the set sequence is not available in the supplied alphabet.");
}

std::vector<xc2Rigid> evenlySpaced(std::size_t n, const xc2Rigid& pitch) {
    std::vector<xc2Rigid> poses;
    poses.reserve(n);
    for (std::size_t k = 0; k < n; ++k) poses.push_back(k == 0 ? xc2Rigid() : pitch * poses[k - 1]);
    return poses;
}

// The first current key of a set that is not a wild card; a set without current keys has none.
long firstCurrentKey(const xcOCKeySet& ks) {
    const std::vector<long> keys = ks.currentKeys();
    if (keys.empty())
        throw xcOCDefs::BadIndex(
            "Current key index is not valid for specified set of possible keys.");
    return keys.front();
}

xcPolygon cornersOf(const xcRect& r) {
    return xcPolygon({r.ul(), r.ur(), r.lr(), r.ll()}, 0);
}

} // namespace

xc_Instantiator xcOCLine::sExemplar(typeid(xcOCLine), &xcOCLine::make);

xcPersistent* xcOCLine::make() {
    return new xcOCLine();
}

xcOCLine::xcOCLine() : alphabet_(new xcOCAlphabet()) {
}

xcOCLine::xcOCLine(const std::vector<xcOCKeySet>& keySets, const Alphabet& alphabet,
                   const xc2Rigid& pitch, double charScale, double translationUncertainty,
                   xcRadian rotationUncertainty, double scaleUncertainty, const std::string& name) {
    checkAlphabet(alphabet);
    check(charScale > 0.0, kScale);
    check(translationUncertainty >= 0.0, "Character translation uncertainty must be >= 0");
    check(rotationUncertainty.toDouble() >= 0.0, "Character rotation uncertainty must be >= 0");
    check(scaleUncertainty >= 0.0, kScaleUnc);
    checkKeys(keySets, *alphabet);
    const std::size_t n = keySets.size();
    keySets_ = keySets;
    alphabet_ = alphabet;
    poses_ = evenlySpaced(n, pitch);
    scales_.assign(n, charScale);
    transUnc_.assign(n, translationUncertainty);
    rotUnc_.assign(n, rotationUncertainty);
    scaleUnc_.assign(n, scaleUncertainty);
    name_ = name;
}

xcOCLine::xcOCLine(const std::vector<xcOCKeySet>& keySets, const Alphabet& alphabet,
                   const std::vector<xc2Rigid>& poses, double charScale, double positionUncertainty,
                   xcRadian angularUncertainty, double scaleUncertainty, const std::string& name) {
    checkAlphabet(alphabet);
    checkCount(poses.size(), keySets.size(),
               "Number of character poses does not match the number of key sets.");
    check(charScale > 0.0, kScale);
    check(positionUncertainty >= 0.0, "Character position uncertainty must be >= 0");
    check(angularUncertainty.toDouble() >= 0.0, "Character angular uncertainty must be >= 0");
    check(scaleUncertainty >= 0.0, kScaleUnc);
    checkKeys(keySets, *alphabet);
    const std::size_t n = keySets.size();
    keySets_ = keySets;
    alphabet_ = alphabet;
    poses_ = poses;
    scales_.assign(n, charScale);
    transUnc_.assign(n, positionUncertainty);
    rotUnc_.assign(n, angularUncertainty);
    scaleUnc_.assign(n, scaleUncertainty);
    name_ = name;
}

xcOCLine::xcOCLine(const std::vector<xcOCKeySet>& keySets, const Alphabet& alphabet,
                   const std::vector<xc2Rigid>& poses, const std::vector<double>& scales,
                   const std::vector<double>& translationUncertainties,
                   const std::vector<xcRadian>& rotationUncertainties,
                   const std::vector<double>& scaleUncertainties, const std::string& name) {
    checkAlphabet(alphabet);
    // Every count is checked before any value.
    const std::size_t n = keySets.size();
    checkCount(poses.size(), n, "Number of character poses does not match the number of key sets.");
    checkCount(scales.size(), n,
               "Number of character scales does not match the number of key sets.");
    checkCount(translationUncertainties.size(), n,
               "Number of translation uncertainties does not match the number of key sets.");
    checkCount(rotationUncertainties.size(), n,
               "Number of rotation uncertainties does not match the number of key sets.");
    checkCount(scaleUncertainties.size(), n,
               "Number of scale uncertainties does not match the number of key sets.");
    for (std::size_t p = 0; p < n; ++p) {
        check(scales[p] > 0.0, kScale);
        check(translationUncertainties[p] >= 0.0,
              "Character translation uncertainties must be >= 0");
        check(rotationUncertainties[p].toDouble() >= 0.0,
              "Character rotation uncertainties must be >= 0");
        check(scaleUncertainties[p] >= 0.0, "Character scale uncertainties must be >= 0");
    }
    checkKeys(keySets, *alphabet);
    keySets_ = keySets;
    alphabet_ = alphabet;
    poses_ = poses;
    scales_ = scales;
    transUnc_ = translationUncertainties;
    rotUnc_ = rotationUncertainties;
    scaleUnc_ = scaleUncertainties;
    name_ = name;
}

xcOCLine::~xcOCLine() = default;

void xcOCLine::checkPosition_(long position) const {
    if (position < 0 || position >= numPositions())
        throw xcOCDefs::BadIndex("Invalid position index.");
}

bool xcOCLine::isWildcard(long position) const {
    checkPosition_(position);
    return keySets_[static_cast<std::size_t>(position)].isCurrentWildcard();
}

const xcPtrHandle_const<xcOCModel>& xcOCLine::character(long position) const {
    if (isWildcard(position))
        throw xcOCDefs::BadIndex("The specified position contains a wildcard character.");
    return alphabet_->character(firstCurrentKey(keySets_[static_cast<std::size_t>(position)]));
}

std::vector<xcPtrHandle_const<xcOCModel>> xcOCLine::characters(long position) const {
    if (isWildcard(position))
        throw xcOCDefs::BadIndex("The specified position contains a wildcard character.");
    std::vector<xcPtrHandle_const<xcOCModel>> models;
    for (long key : keySets_[static_cast<std::size_t>(position)].currentKeys())
        models.push_back(alphabet_->character(key));
    return models;
}

long xcOCLine::numNormalChars() const {
    long count = 0;
    for (long p = 0; p < numPositions(); ++p) {
        if (isWildcard(p)) continue;
        for (const xcPtrHandle_const<xcOCModel>& m : characters(p))
            if (m->charType() == xcOCModel::eNormal) {
                ++count;
                break;
            }
    }
    return count;
}

xcRect xcOCLine::encloseRect(const xcXform<2>& a, const xcXform<2>& b, const xcXform<2>& c,
                             double t, xcRadian r, double s, bool includeConfusable) const {
    if (!(t >= 0.0)) throw xcOCDefs::BadParams("Translation uncertainty must be >= 0");
    if (!(r.toDouble() >= 0.0)) throw xcOCDefs::BadParams("Rotation uncertainty must be >= 0");
    if (!(s >= 0.0)) throw xcOCDefs::BadParams("Scale uncertainty must be >= 0");
    const xcXform<2> ab = a * b;
    std::optional<xcXform<2>> bInv; // only needed once a position contributes
    std::optional<xcRect> box;
    for (std::size_t p = 0; p < keySets_.size(); ++p) {
        const xcXform<2> placement(poses_[p].translation(), scales_[p], 1.0, xcRadian(0.0),
                                   poses_[p].angle());
        if (keySets_[p].isCurrentWildcard()) continue;
        const long k0 = firstCurrentKey(keySets_[p]);
        for (const xcPtrHandle_const<xcOCModel>& m : alphabet_->characters()) {
            // The current character always counts; another one only when confusable with it.
            if (m->key() != k0 && !(includeConfusable && alphabet_->areConfusable(k0, m->key())))
                continue;
            const xcRect own = m->encloseRect(placement, xcXform<2>(), xcXform<2>(), transUnc_[p],
                                              rotUnc_[p], scaleUnc_[p]);
            if (!bInv) bInv = b.inverse();
            const xcRect placed =
                xfEncloseRect(cornersOf(own).map(*bInv), ab, c, t, t, r, s, 0.0, 0.0, 0.0, 1);
            box = box ? box->enclose(placed) : placed;
        }
    }
    return box.value_or(xcRect());
}

bool xcOCLine::operator==(const xcOCLine& o) const {
    if (!(*alphabet_ == *o.alphabet_)) return false;
    if (numPositions() != o.numPositions()) return false;
    for (std::size_t p = 0; p < poses_.size(); ++p)
        if (keySets_[p] != o.keySets_[p] || !(poses_[p] == o.poses_[p]) ||
            scales_[p] != o.scales_[p] || transUnc_[p] != o.transUnc_[p] ||
            rotUnc_[p] != o.rotUnc_[p] || scaleUnc_[p] != o.scaleUnc_[p])
            return false;
    return name_ == o.name_;
}

void xcOCLine::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    serialize_(ar, xfExchangeVersion(ar, "xcOCLine"));
    setVisited(ar);
}

void xcOCLine::serialize_(xcArchive& ar, [[maybe_unused]] unsigned char version) {
    xcPersistent::dispatchSerialize(ar);
    // Read into a fresh line and commit at the end; the values are taken as stored, but a line
    // whose vectors differ in length or that has no alphabet is refused.
    xcOCLine loaded;
    xcOCLine& l = ar.isStoring() ? *this : loaded;
    ar || l.keySets_;
    ar || l.alphabet_;
    ar || l.poses_;
    ar || l.scales_;
    ar || l.transUnc_;
    ar || l.rotUnc_;
    ar || l.scaleUnc_;
    ar || l.name_;
    if (ar.isStoring()) return;
    const std::size_t n = l.keySets_.size();
    if (l.alphabet_.isNull()) throw xcArchive::BadFormat("xcOCLine: the alphabet is missing");
    if (l.poses_.size() != n || l.scales_.size() != n || l.transUnc_.size() != n ||
        l.rotUnc_.size() != n || l.scaleUnc_.size() != n)
        throw xcArchive::BadFormat("xcOCLine: the per-position vectors differ in length");
    *this = std::move(loaded);
}
