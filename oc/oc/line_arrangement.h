// Several lines of text placed in one frame, each with a pose and an uncertainty.
#pragma once

#include "core/base/handle.h"
#include "core/geom/angle.h"
#include "core/geom/rect.h"
#include "core/geom/rigid.h"
#include "core/geom/xform.h"
#include "core/object/instantiator.h"
#include "core/object/persistent.h"
#include "foundation/export.h"
#include "oc/oc/line.h"

#include <string>
#include <vector>

class xcArchive;

// Immutable once built; lines are shared, so a changed text can reuse the unchanged ones. Every
// constructor makes the four per-line vectors equally long with uncertainties >= 0; line handles
// are not checked for null. Each constructor also takes non-const line handles.
class OC_API xcOCLineArrangement : public xcPersistent, public xcRepBase {
public:
    using Lines = std::vector<xcPtrHandle_const<xcOCLine>>;
    using MutableLines = std::vector<xcPtrHandle<xcOCLine>>;

    // No lines, empty name.
    xcOCLineArrangement();
    // Evenly spaced: line 0 at the identity, line k at pitch * pose(k - 1).
    xcOCLineArrangement(const Lines& lines, const xc2Rigid& pitch, double translationUncertainty,
                        xcRadian rotationUncertainty, const std::string& name);
    xcOCLineArrangement(const MutableLines& lines, const xc2Rigid& pitch,
                        double translationUncertainty, xcRadian rotationUncertainty,
                        const std::string& name);
    // Given poses; the same uncertainties for every line.
    xcOCLineArrangement(const Lines& lines, const std::vector<xc2Rigid>& poses,
                        double translationUncertainty, xcRadian rotationUncertainty,
                        const std::string& name);
    xcOCLineArrangement(const MutableLines& lines, const std::vector<xc2Rigid>& poses,
                        double translationUncertainty, xcRadian rotationUncertainty,
                        const std::string& name);
    // Everything per line.
    xcOCLineArrangement(const Lines& lines, const std::vector<xc2Rigid>& poses,
                        const std::vector<double>& translationUncertainties,
                        const std::vector<xcRadian>& rotationUncertainties,
                        const std::string& name);
    xcOCLineArrangement(const MutableLines& lines, const std::vector<xc2Rigid>& poses,
                        const std::vector<double>& translationUncertainties,
                        const std::vector<xcRadian>& rotationUncertainties,
                        const std::string& name);
    xcOCLineArrangement(const xcOCLineArrangement&) = default;
    xcOCLineArrangement& operator=(const xcOCLineArrangement&) = default;
    ~xcOCLineArrangement() override;

    const Lines& lines() const { return lines_; }
    const std::vector<xc2Rigid>& linePoses() const { return poses_; }
    const std::vector<double>& translationUncertainties() const { return transUnc_; }
    const std::vector<xcRadian>& rotationUncertainties() const { return rotUnc_; }
    const std::string& name() const { return name_; }
    long numLines() const { return static_cast<long>(lines_.size()); }

    // The rectangle the arrangement's characters can cover: each line's rectangle (placed by its
    // pose with its own uncertainties, scale uncertainty 0) placed by a * b with the caller's
    // uncertainties and expressed in the frame c maps from; see xcOCLine::encloseRect. A default
    // xcRect when there are no lines.
    xcRect encloseRect(const xcXform<2>& a, const xcXform<2>& b, const xcXform<2>& c, double t,
                       xcRadian r, double s, bool includeConfusable) const;

    // Lines equal by value (two null lines count as equal), poses, uncertainties and name.
    bool operator==(const xcOCLineArrangement& o) const;
    bool operator!=(const xcOCLineArrangement& o) const { return !(*this == o); }

protected:
    // Version 0: lines, line poses, translation and rotation uncertainties, name. Loading does
    // not repeat the constructors' checks.
    void dispatchSerialize(xcArchive& ar) override;
    void serialize_(xcArchive& ar, unsigned char version);

private:
    static xcPersistent* make();
    static xc_Instantiator sExemplar;

    Lines lines_;
    std::vector<xc2Rigid> poses_;
    std::vector<double> transUnc_;
    std::vector<xcRadian> rotUnc_;
    std::string name_;
};
