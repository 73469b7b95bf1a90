#include "oc/oc/line_arrangement.h"

#include "core/geom/polygon.h"
#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"
#include "core/persist/archive_vector.h"
#include "foundation/oc_defs.h"
#include "submodel/enclose_rect.h"

#include <optional>

namespace {

using Lines = xcOCLineArrangement::Lines;

void check(bool ok, const char* message) {
    if (!ok) throw xcOCDefs::BadParams(message);
}

const char* const kPoseCount = "The number of line poses does not match the number of lines.";

void checkUncertainties(double translation, xcRadian rotation) {
    check(translation >= 0.0, "Line translation uncertainty must be >= 0");
    check(rotation.toDouble() >= 0.0, "Line rotation uncertainty must be >= 0");
}

Lines toConst(const xcOCLineArrangement::MutableLines& lines) {
    return Lines(lines.begin(), lines.end());
}

std::vector<xc2Rigid> evenlySpaced(std::size_t n, const xc2Rigid& pitch) {
    std::vector<xc2Rigid> poses;
    poses.reserve(n);
    for (std::size_t k = 0; k < n; ++k) poses.push_back(k == 0 ? xc2Rigid() : pitch * poses[k - 1]);
    return poses;
}

} // namespace

xc_Instantiator xcOCLineArrangement::sExemplar(typeid(xcOCLineArrangement),
                                               &xcOCLineArrangement::make);

xcPersistent* xcOCLineArrangement::make() {
    return new xcOCLineArrangement();
}

xcOCLineArrangement::xcOCLineArrangement() = default;

xcOCLineArrangement::xcOCLineArrangement(const Lines& lines, const xc2Rigid& pitch,
                                         double translationUncertainty,
                                         xcRadian rotationUncertainty, const std::string& name) {
    checkUncertainties(translationUncertainty, rotationUncertainty);
    lines_ = lines;
    poses_ = evenlySpaced(lines.size(), pitch);
    transUnc_.assign(lines.size(), translationUncertainty);
    rotUnc_.assign(lines.size(), rotationUncertainty);
    name_ = name;
}

xcOCLineArrangement::xcOCLineArrangement(const MutableLines& lines, const xc2Rigid& pitch,
                                         double translationUncertainty,
                                         xcRadian rotationUncertainty, const std::string& name)
    : xcOCLineArrangement(toConst(lines), pitch, translationUncertainty, rotationUncertainty,
                          name) {
}

xcOCLineArrangement::xcOCLineArrangement(const Lines& lines, const std::vector<xc2Rigid>& poses,
                                         double translationUncertainty,
                                         xcRadian rotationUncertainty, const std::string& name) {
    checkUncertainties(translationUncertainty, rotationUncertainty);
    check(poses.size() == lines.size(), kPoseCount);
    lines_ = lines;
    poses_ = poses;
    transUnc_.assign(lines.size(), translationUncertainty);
    rotUnc_.assign(lines.size(), rotationUncertainty);
    name_ = name;
}

xcOCLineArrangement::xcOCLineArrangement(const MutableLines& lines,
                                         const std::vector<xc2Rigid>& poses,
                                         double translationUncertainty,
                                         xcRadian rotationUncertainty, const std::string& name)
    : xcOCLineArrangement(toConst(lines), poses, translationUncertainty, rotationUncertainty,
                          name) {
}

xcOCLineArrangement::xcOCLineArrangement(const Lines& lines, const std::vector<xc2Rigid>& poses,
                                         const std::vector<double>& translationUncertainties,
                                         const std::vector<xcRadian>& rotationUncertainties,
                                         const std::string& name) {
    const std::size_t n = lines.size();
    check(poses.size() == n, kPoseCount);
    check(translationUncertainties.size() == n,
          "The number of translation uncertainties does not match the number of lines.");
    check(rotationUncertainties.size() == n,
          "The number of rotation uncertainties does not match the number of lines.");
    for (std::size_t l = 0; l < n; ++l) {
        check(translationUncertainties[l] >= 0.0, "Line position uncertaintiesp must be >= 0");
        check(rotationUncertainties[l].toDouble() >= 0.0,
              "Line rotation uncertainties must be >= 0");
    }
    lines_ = lines;
    poses_ = poses;
    transUnc_ = translationUncertainties;
    rotUnc_ = rotationUncertainties;
    name_ = name;
}

xcOCLineArrangement::xcOCLineArrangement(const MutableLines& lines,
                                         const std::vector<xc2Rigid>& poses,
                                         const std::vector<double>& translationUncertainties,
                                         const std::vector<xcRadian>& rotationUncertainties,
                                         const std::string& name)
    : xcOCLineArrangement(toConst(lines), poses, translationUncertainties, rotationUncertainties,
                          name) {
}

xcOCLineArrangement::~xcOCLineArrangement() = default;

xcRect xcOCLineArrangement::encloseRect(const xcXform<2>& a, const xcXform<2>& b,
                                        const xcXform<2>& c, double t, xcRadian r, double s,
                                        bool includeConfusable) const {
    if (!(t >= 0.0)) throw xcOCDefs::BadParams("Translation uncertainty must be >= 0");
    if (!(r.toDouble() >= 0.0)) throw xcOCDefs::BadParams("Rotation uncertainty must be >= 0");
    if (!(s >= 0.0)) throw xcOCDefs::BadParams("Scale uncertainty must be >= 0");
    const xcXform<2> ab = a * b;
    std::optional<xcXform<2>> bInv;
    std::optional<xcRect> box;
    for (std::size_t l = 0; l < poses_.size(); ++l) {
        // Each level adds its own uncertainty: the line's within the arrangement here, the
        // caller's for the arrangement in the image below.
        const xcRect own = lines_[l]->encloseRect(poses_[l].linear(), xcXform<2>(), xcXform<2>(),
                                                  transUnc_[l], rotUnc_[l], 0.0, includeConfusable);
        if (!bInv) bInv = b.inverse();
        const xcPolygon corners({own.ul(), own.ur(), own.lr(), own.ll()}, 0);
        const xcRect placed =
            xfEncloseRect(corners.map(*bInv), ab, c, t, t, r, s, 0.0, 0.0, 0.0, 1);
        box = box ? box->enclose(placed) : placed;
    }
    return box.value_or(xcRect());
}

bool xcOCLineArrangement::operator==(const xcOCLineArrangement& o) const {
    if (numLines() != o.numLines()) return false;
    for (std::size_t l = 0; l < lines_.size(); ++l) {
        const bool nullA = lines_[l].isNull(), nullB = o.lines_[l].isNull();
        if (nullA != nullB || (!nullA && !(*lines_[l] == *o.lines_[l]))) return false;
        if (!(poses_[l] == o.poses_[l]) || transUnc_[l] != o.transUnc_[l] ||
            rotUnc_[l] != o.rotUnc_[l])
            return false;
    }
    return name_ == o.name_;
}

void xcOCLineArrangement::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    serialize_(ar, xfExchangeVersion(ar, "xcOCLineArrangement"));
    setVisited(ar);
}

void xcOCLineArrangement::serialize_(xcArchive& ar, [[maybe_unused]] unsigned char version) {
    xcPersistent::dispatchSerialize(ar);
    xcOCLineArrangement loaded;
    xcOCLineArrangement& a = ar.isStoring() ? *this : loaded;
    ar || a.lines_;
    ar || a.poses_;
    ar || a.transUnc_;
    ar || a.rotUnc_;
    ar || a.name_;
    if (ar.isStoring()) return;
    const std::size_t n = a.lines_.size();
    if (a.poses_.size() != n || a.transUnc_.size() != n || a.rotUnc_.size() != n)
        throw xcArchive::BadFormat("xcOCLineArrangement: the per-line vectors differ in length");
    *this = std::move(loaded);
}
