// The extraction model's diagnostics: the run parameters, the found instances as text, and one
// graphics record per found instance.
#include "oc/extract/extract_model.h"

#include "core/geom/angle.h"
#include "core/geom/lineseg.h"
#include "diag/diag_object.h"
#include "diag/graphics.h"

#include <algorithm>
#include <string>

namespace {

constexpr unsigned long kParamsBit = 0x10000;
constexpr unsigned long kResultsBit = 0x20000;

// The orientation mark of a character of size d: (0, 0) to (d / 2, 0) in its own coordinates,
// turned about the origin by turnDeg and then placed by the pose.
xcLineSeg orientationMark(const xcXform<2>& pose, double d, double turnDeg) {
    const xcXform<2> turn(xcMatrix<2>::rotation(xcRadian(xcDegree(turnDeg))), xcVector<2>());
    const xcXform<2> place = pose * turn;
    return xcLineSeg(place.mapPoint(xcVector<2>(0.0, 0.0)),
                     place.mapPoint(xcVector<2>(0.5 * d, 0.0)));
}

} // namespace

void xc_OCExtractModel::drawTrainDiags_(const xcPtrHandle_const<xcOCAlphabet>&,
                                        const xcPelBuffer_const<unsigned char>&,
                                        const std::vector<long>&, xcDiagObject*, unsigned long) {
}

void xc_OCExtractModel::drawRuntimeDiags_(const xcPtrHandle_const<xcOCAlphabet>& alphabet,
                                          const xcPelBuffer_const<unsigned char>&,
                                          const xc_OCExtractRunParams& runParams,
                                          const xc_OCExtractStringResult& result, xcDiagObject* rec,
                                          unsigned long flags) {
    if (!rec) return;
    // The parameter text stays in diagText when no results are asked for, and then opens the
    // next record of this model.
    if (flags & kParamsBit) {
        diagText << "Runtime Params" << std::endl;
        diagText << "==============" << std::endl;
        diagText << "Accept Thresh = " << runParams.acceptThreshold << std::endl;
        diagText << "Confusion Thresh = " << runParams.confusionThreshold << std::endl;
        diagText << "Overlap =" << runParams.overlap << std::endl;
    }
    if (!(flags & kResultsBit)) return;

    const auto& unique = result.uniqueCharResults();
    diagText << std::endl << "Final Results" << std::endl;
    for (std::size_t u = 0; u < unique.size(); ++u) {
        if (!patterns[u]) continue;
        const xc_OCExtractCharResult& r = *unique[u];
        diagText << (r.found() ? "Found" : "Could not find") << " Char Model '"
                 << alphabet->character(modelKeys[u])->name() << "'" << std::endl;
        for (long k = 0; k < r.numInstances(); ++k) {
            const xcXform<2> pose = r.pose(k);
            diagText << " \t Instance #" << k << " \t Score= " << r.score(k)
                     << " \t Angle= " << xcDegree(pose.xRot()).toDouble()
                     << " \t Scale=" << pose.xScale() << std::endl;
        }
        diagText << std::endl;
    }
    // The text ends at its terminating null, as a C string does.
    diagText << std::ends;
    const std::string all = diagText.str();
    xf_AddText(rec, all.substr(0, all.find('\0')), "Result details");

    const xcGraphicProps green(xcColor::eGreen);
    const xcGraphicProps blue(xcColor::eBlue);
    const xcGraphicProps mark(xcColor::eGreen, static_cast<xePenStyle>(0), 2);
    for (std::size_t u = 0; u < unique.size(); ++u) {
        if (!patterns[u]) continue;
        const xcOCModel& model = *alphabet->character(modelKeys[u]);
        const double d =
            static_cast<double>(std::min(model.imageArea().width(), model.imageArea().height()));
        const xc_OCExtractCharResult& r = *unique[u];
        for (long k = 0; k < r.numInstances(); ++k) {
            const xcXform<2> pose = r.pose(k);
            xcGraphicList list;
            list.push(xcGraphicSimple(r.affRect(k), green));
            if (r.symmetry() == xc_OCExtractDefs::eFullSymmetry) {
                for (const double turn : {180.0, 90.0, 270.0})
                    list.push(xcGraphicSimple(orientationMark(pose, d, turn), blue));
            } else if (r.symmetry() == xc_OCExtractDefs::e180Symmetry) {
                list.push(xcGraphicSimple(orientationMark(pose, d, 180.0), blue));
            }
            list.push(xcGraphicSimple(orientationMark(pose, d, 0.0), mark));
            xf_AddGraphics(rec, list, 2,
                           "Character '" + model.name() + "'" + " Result #" + std::to_string(k));
        }
    }
}
