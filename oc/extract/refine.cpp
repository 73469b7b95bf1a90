#include "oc/extract/refine.h"

#include "core/base/exception.h"
#include "core/sys/timeout.h"
#include "oc/extract/detail/neighbourhood.h"
#include "oc/extract/detail/searcher_cache.h"
#include "oc/extract/extract_defs.h"
#include "oc/extract/rsi_corr_search_model.h"

#include <cassert>

namespace {

constexpr double kAngleTolDeg = 3.0;
constexpr double kScaleTol = 0.05;

bool isTimeout(const xcException& e) {
    return dynamic_cast<const xcTimeout::Expired*>(&e) != nullptr ||
           dynamic_cast<const xcTimeout::InternalExpired*>(&e) != nullptr;
}

} // namespace

void xf_RefineArrangement(const xcPelBuffer_const<unsigned char>& image,
                          const xcPtrHandle_const<xcOCAlphabet>& alphabet,
                          const std::vector<long>& keys, std::vector<xc_Pose>& poses,
                          std::vector<xcOCArrangeDefs::CharStatus>& statuses,
                          std::vector<double>& scores, xcDiagObject*, unsigned long) {
    const std::size_t n = keys.size();
    if (poses.size() != n || statuses.size() != n || scores.size() != n)
        throw xc_OCExtractDefs::xc_OCExtractError("Refine error");
    std::vector<bool> done(n, false);

    xcRSIParams params;
    params.angleRange = xcRange(-kAngleTolDeg, kAngleTolDeg);
    params.angleStep = 0.5;
    params.scaleStep = 0.03;
    params.scaleRange = xcRange(1.0 - kScaleTol, 1.0 + kScaleTol + 0.5 * params.scaleStep);
    params.baseScale = 1.0;
    xcRSIRunParams runParams;
    runParams.accept = 0.3;
    runParams.confusion = 0.4;
    runParams.overlap = 0.1;
    runParams.maxNumResults = 1;

    for (std::size_t i = 0; i < n; ++i) {
        const xcOCModel& model = *alphabet->character(keys[i]);
        if (model.charType() == xcOCModel::eBlank) done[i] = true;
        if (done[i]) continue;

        xcPelBuffer_const<unsigned char> charImage = model.image();
        charImage.window(model.imageArea(), false);
        xcPelBuffer_const<unsigned char> charMask = model.mask();
        if (charMask.isBound()) charMask.window(model.imageArea(), false);
        xcPtrHandle_const<xcRSICorrSearchModel> searcher;
        try {
            searcher = xf_OCRefineSearcher(charImage, charMask, params, model.name());
        } catch (const xcException& e) {
            if (isTimeout(e)) throw;
            done[i] = true;
            continue;
        }
        const xcXform<2> charClientFromImage =
            charImage.clientFromImageXform()->linearXform(xcVector<2>());

        for (std::size_t j = i; j < n; ++j) {
            if (keys[j] != keys[i]) continue;
            done[j] = true;
            if (statuses[j] == xcOCArrangeDefs::eMatched ||
                statuses[j] == xcOCArrangeDefs::eUnknown)
                continue;
            try {
                const auto nbhd =
                    xf_OCNeighbourhoodImage(image, charImage.window(), charClientFromImage,
                                            poses[j].xform(), kAngleTolDeg, kScaleTol);
                if (!nbhd) continue;
                xcPtrHandle<xc_SearchResult2> found;
                searcher->run(*nbhd, runParams, found, nullptr, 0);
                if (!found->found()) continue;
                assert(found->numInstances() > 0);
                statuses[j] = xcOCArrangeDefs::eMatched;
                poses[j] = xc_Pose(found->pose(0));
                scores[j] = found->score(0);
            } catch (const xcException& e) {
                if (isTimeout(e)) throw;
            }
        }
    }
}
