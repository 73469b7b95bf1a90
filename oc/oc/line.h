// The expected layout of one line of text: per character position a key set, a pose in the
// line's frame, a scale and how far the real character may deviate from them.
#pragma once

#include "core/base/handle.h"
#include "core/geom/angle.h"
#include "core/geom/rect.h"
#include "core/geom/rigid.h"
#include "core/geom/xform.h"
#include "core/object/instantiator.h"
#include "core/object/persistent.h"
#include "foundation/export.h"
#include "oc/oc/alphabet.h"
#include "oc/oc/key_set.h"

#include <string>
#include <vector>

class xcArchive;

// Immutable once built. Every constructor makes the six per-position vectors equally long, keeps
// the alphabet handle non-null and requires every possible key of every key set to be a key of
// the alphabet; scales are > 0 and uncertainties >= 0.
class OC_API xcOCLine : public xcPersistent, public xcRepBase {
public:
    // No positions; the alphabet is a new default alphabet.
    xcOCLine();
    // Evenly spaced: position 0 at the identity, position k at pitch * pose(k - 1); every position
    // gets the same scale and uncertainties.
    xcOCLine(const std::vector<xcOCKeySet>& keySets,
             const xcPtrHandle_const<xcOCAlphabet>& alphabet, const xc2Rigid& pitch,
             double charScale, double translationUncertainty, xcRadian rotationUncertainty,
             double scaleUncertainty, const std::string& name);
    // Given poses; the same scale and uncertainties for every position.
    xcOCLine(const std::vector<xcOCKeySet>& keySets,
             const xcPtrHandle_const<xcOCAlphabet>& alphabet, const std::vector<xc2Rigid>& poses,
             double charScale, double positionUncertainty, xcRadian angularUncertainty,
             double scaleUncertainty, const std::string& name);
    // Everything per position.
    xcOCLine(const std::vector<xcOCKeySet>& keySets,
             const xcPtrHandle_const<xcOCAlphabet>& alphabet, const std::vector<xc2Rigid>& poses,
             const std::vector<double>& scales, const std::vector<double>& translationUncertainties,
             const std::vector<xcRadian>& rotationUncertainties,
             const std::vector<double>& scaleUncertainties, const std::string& name);
    xcOCLine(const xcOCLine&) = default;
    xcOCLine& operator=(const xcOCLine&) = default;
    ~xcOCLine() override;

    const std::vector<xcOCKeySet>& keySetSequence() const { return keySets_; }
    const xcPtrHandle_const<xcOCAlphabet>& alphabet() const { return alphabet_; }
    const std::vector<xc2Rigid>& charPoses() const { return poses_; }
    const std::vector<double>& charScales() const { return scales_; }
    const std::vector<double>& translationUncertainties() const { return transUnc_; }
    const std::vector<xcRadian>& rotationUncertainties() const { return rotUnc_; }
    const std::vector<double>& scaleUncertainties() const { return scaleUnc_; }
    const std::string& name() const { return name_; }
    long numPositions() const { return static_cast<long>(poses_.size()); }

    // Whether the position's key set is a wild card; the position must exist.
    bool isWildcard(long position) const;
    // The model of the position's first current key; not for a wild card.
    const xcPtrHandle_const<xcOCModel>& character(long position) const;
    // The models of all current keys of the position, in the order of the current indices.
    std::vector<xcPtrHandle_const<xcOCModel>> characters(long position) const;
    // Positions that are not wild cards and expect at least one normal character.
    long numNormalChars() const;

    // The rectangle the line's characters can cover: each character's model area is placed by
    // its pose and scale with its own uncertainties, the result placed by a * b with the caller's
    // uncertainties (t in x and y, r, s) and expressed in the frame c maps from. With
    // includeConfusable every model confusable with a position's current character counts too
    // (this needs a compiled alphabet). A default xcRect when no position contributes.
    xcRect encloseRect(const xcXform<2>& a, const xcXform<2>& b, const xcXform<2>& c, double t,
                       xcRadian r, double s, bool includeConfusable) const;

    // Alphabets equal by value, and every per-position value and the name equal.
    bool operator==(const xcOCLine& o) const;
    bool operator!=(const xcOCLine& o) const { return !(*this == o); }

protected:
    // Version 0: key sets, alphabet, poses, scales, translation, rotation and scale
    // uncertainties, name. Loading does not repeat the constructors' checks.
    void dispatchSerialize(xcArchive& ar) override;
    void serialize_(xcArchive& ar, unsigned char version);

private:
    // The alphabet-independent checks are the constructors'; this one is shared.
    void checkKeys_() const;
    void checkPosition_(long position) const;
    static xcPersistent* make();
    static xc_Instantiator sExemplar;

    std::vector<xcOCKeySet> keySets_;
    xcPtrHandle_const<xcOCAlphabet> alphabet_;
    std::vector<xc2Rigid> poses_;
    std::vector<double> scales_;
    std::vector<double> transUnc_;
    std::vector<xcRadian> rotUnc_;
    std::vector<double> scaleUnc_;
    std::string name_;
};
