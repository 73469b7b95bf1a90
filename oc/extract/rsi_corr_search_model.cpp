#include "oc/extract/rsi_corr_search_model.h"

#include "core/base/exception.h"
#include "core/geom/angle.h"
#include "core/sys/timeout.h"
#include "core/sys/timer.h"
#include "corrsearch/corrsearch_model.h"
#include "oc/extract/extract_defs.h"
#include "oc/imageutil/affine_clip.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace {

// The most models one searcher may train; far above any useful grid.
constexpr double kMaxModels = 100000.0;

// Steps that advance, finite ranges and a grid of bounded size, so that training ends.
void checkGrid(const xcRSIParams& p) {
    const xcRange& a = p.angleRange;
    const xcRange& s = p.scaleRange;
    const bool finite = std::isfinite(a.start()) && std::isfinite(a.end()) &&
                        std::isfinite(s.start()) && std::isfinite(s.end()) &&
                        std::isfinite(p.baseScale);
    const bool ok =
        finite && p.angleStep > 0.0 && p.scaleStep > 0.0 && s.start() > 0.0 && p.baseScale > 0.0 &&
        (std::max(0.0, a.end() - a.start()) / p.angleStep + 1.0) *
                (std::log(std::max(1.0, s.end() / s.start())) / std::log1p(p.scaleStep) + 1.0) <=
            kMaxModels;
    if (!ok) throw xc_OCExtractDefs::xc_OCExtractError("Bad refinement parameters");
}

} // namespace

xcRSICorrSearchModel::xcRSICorrSearchModel(const xcPelBuffer_const<unsigned char>& image,
                                           const xcPelBuffer_const<unsigned char>& mask,
                                           const xcRSIParams& params, const std::string& name,
                                           xcDiagObject*, unsigned long)
    : name_(name), window_(image.window()), params_(params) {
    checkGrid(params);
    xcCorrSearchTrainParams trainParams;
    trainParams.accuracy(4);
    trainParams.algorithms(8);
    for (double scale = params.scaleRange.start(); !(scale > params.scaleRange.end());
         scale *= 1.0 + params.scaleStep) {
        for (double angle = params.angleRange.start(); !(angle > params.angleRange.end());
             angle += params.angleStep) {
            const xcRadian turn = xcRadian(xcDegree(angle));
            const double relScale = scale / params.baseScale;
            // The turned mask is not used; without a mask the worker's mask output is skipped.
            xcPelBuffer<unsigned char> turned, turnedMask;
            if (mask.isBound())
                xf_AffineTransform(image, mask, turn, relScale, turned, turnedMask,
                                   xcAffineSamplingParams::eBilinear,
                                   xcAffineSamplingParams::eBilinear);
            else
                xf_AffineTransform(image, turn, relScale, turned,
                                   xcAffineSamplingParams::eBilinear);
            xcCorrSearchModel model;
            model.train(turned, trainParams, nullptr, 0);
            models_.push_back(std::move(model));
            transforms_.push_back(
                xcXform<2>(xcMatrix<2>(turn, turn, relScale, relScale), xcVector<2>(0.0, 0.0)));
        }
    }
}

xcRSICorrSearchModel::~xcRSICorrSearchModel() = default;

void xcRSICorrSearchModel::run(const xcPelBuffer_const<unsigned char>& image,
                               const xcRSIRunParams& params, xcPtrHandle<xc_SearchResult2>& result,
                               xcDiagObject*, unsigned long) const {
    xcTimer timer;
    timer.start();
    if (!result)
        result = xcPtrHandle<xc_SearchResult2>(new xc_SearchResult2());
    else
        result->init();

    xcCorrSearchRunParams corr(8);
    corr.accuracy(4);
    corr.accept(params.accept);
    corr.confusion(params.confusion);
    corr.xyOverlap(0.3);
    corr.maxNumResults(static_cast<short>(params.maxNumResults));

    std::vector<xc_SearchResult2::Instance>& found = result->instances_;
    for (std::size_t k = 0; k < models_.size(); ++k) {
        try {
            for (const xcCorrSearchResult& r :
                 models_[k].run(image, corr, params.region, nullptr, 0)) {
                if (!r.found()) continue;
                xc_SearchResult2::Instance inst;
                inst.score = r.score();
                inst.location = r.location();
                inst.modelIndex = static_cast<long>(k);
                found.push_back(inst);
            }
        } catch (const xcTimeout::Expired&) {
            throw;
        } catch (const xcException& e) {
            (void)e.message();
        }
    }

    result->sortByScore_();
    if (params.maxNumResults >= 0 && static_cast<long>(found.size()) > params.maxNumResults)
        found.resize(static_cast<std::size_t>(params.maxNumResults));
    result->found_ = !found.empty();

    const xcXform<2> clientFromImage = image.clientFromImageXform()->linearXform(xcVector<2>());
    for (xc_SearchResult2::Instance& inst : found) {
        const xcXform<2> m =
            clientFromImage * transforms_[static_cast<std::size_t>(inst.modelIndex)];
        inst.pose =
            xcXform<2>(xcMatrix<2>(m.xRot(), m.yRot(), m.xScale(), m.yScale()), inst.location);
        const xcAffineRectangle trained(window_.ul(), static_cast<double>(window_.width()),
                                        static_cast<double>(window_.height()), xcRadian(0.0),
                                        xcRadian(0.0));
        inst.affRect = trained.map(inst.pose);
    }
    result->time_ = timer.msec();
}
