#include "oc/extract/extract_model.h"

#include "align/align_defs.h"
#include "align/align_pattern.h"
#include "core/sys/attention.h"
#include "core/sys/timeout.h"
#include "core/sys/timer.h"
#include "oc/extract/detail/scale_consensus.h"

#include <algorithm>
#include <cassert>

namespace {

// The code of the per-model time limit.
constexpr long kModelTimeoutCode = 0x80000064;

// The accepted results with a coverage of 0 or more; when none but there were results, all.
std::vector<xcAlignResult> keptResults(const xcAlignResultSet& results) {
    std::vector<xcAlignResult> kept;
    for (const xcAlignResult& r : results)
        if (r.accepted() && r.coverage() >= 0.0) kept.push_back(r);
    if (kept.empty()) kept.assign(results.begin(), results.end());
    return kept;
}

} // namespace

xc_OCExtractModel::xc_OCExtractModel() = default;

xc_OCExtractModel::~xc_OCExtractModel() {
    for (auto& p : patterns) p.reset();
    init();
}

void xc_OCExtractModel::init() {
    patterns.clear();
    keyCounts.clear();
    modelKeys.clear();
    searchOrder.clear();
    diagText.clear();
}

bool xc_OCExtractModel::isTrained(long model) const {
    return model >= 0 && model < numModels() && patterns[static_cast<std::size_t>(model)];
}

bool xc_OCExtractModel::search(
    const xcPtrHandle_const<xcOCAlphabet>& alphabet, const std::vector<long>& keys,
    const xcPelBuffer_const<unsigned char>& image, const xcPelBuffer_const<unsigned char>& mask,
    const xc_OCExtractModelParams& params, const xc_OCExtractRunParams& runParams,
    xc_OCExtractStringResult& result, xcDiagObject* rec, unsigned long flags) {
    init();
    modelParams = params;
    result.init();
    train_(alphabet, keys, result, rec, flags);
    drawTrainDiags_(alphabet, image, keys, rec, flags);

    xcTimer timer;
    timer.start();
    const bool found = searchGeom_(alphabet, image, mask, runParams, result, rec, flags);
    postProcessResults_(result, keys, runParams, rec, flags);
    timer.stop();
    result.searchTime_ = timer.msec();

    drawRuntimeDiags_(alphabet, image, runParams, result, rec, flags);
    return found;
}

bool xc_OCExtractModel::searchGeom_(const xcPtrHandle_const<xcOCAlphabet>&,
                                    const xcPelBuffer_const<unsigned char>& image,
                                    const xcPelBuffer_const<unsigned char>& mask,
                                    const xc_OCExtractRunParams& runParams,
                                    xc_OCExtractStringResult& result, xcDiagObject*,
                                    unsigned long) {
    xcAlignRunParams p;
    p.acceptThreshold(runParams.acceptThreshold);
    p.algorithm(2);
    p.zoneEnable(xcAlignRunParams::eAngle | xcAlignRunParams::eScale);
    p.zone(xcAlignRunParams::eAngle, modelParams.angleRange.start(), modelParams.angleRange.end());
    p.scoreUsingClutter(false);
    p.contrastThreshold(10.0);
    p.xyOverlap(0.2);

    xcTimer modelTimer;
    modelTimer.start();
    const long n = numModels();
    assert(static_cast<long>(searchOrder.size()) == n);

    bool found = true;
    bool scaleLocked = false;
    const long minAgree = std::max<long>((n + 1) / 2, 3);
    std::vector<double> observedScales;

    for (const long i : searchOrder) {
        assert(i >= 0 && i < n);
        const std::size_t m = static_cast<std::size_t>(i);
        xcPtrHandle<xc_OCExtractCharResult> r(new xc_OCExtractCharResult());
        r->symmetry_ = symmetries[m];
        r->rot180Pose_ = rot180Poses[m];

        if (patterns[m]) {
            const xcAlignPattern& pattern = *patterns[m];
            const xcXform<2> trainClientXform =
                pattern.trainClientFromImage()->linearXform(xcVector<2>(0.0, 0.0));
            p.zone(xcAlignRunParams::eScale, modelParams.scaleRange.start(),
                   modelParams.scaleRange.end());
            p.numToFind(keyCounts[m] + 2);

            // A model that runs out of its own time keeps what it found until then.
            xcAlignResultSet results;
            try {
                xcAttentionTag tag(true);
                tag.attachTimeoutCustom(runParams.timeout, kModelTimeoutCode);
                if (mask.isBound())
                    pattern.run(image, mask, p, results, nullptr, 0);
                else
                    pattern.run(image, p, results, nullptr, 0);
            } catch (const xcTimeout::InternalExpired&) {
                found = false;
            } catch (const xc_AlignDefs::InternalError&) {
                found = false;
                assert(results.empty());
            }

            const std::vector<xcAlignResult> kept = keptResults(results);
            if (!scaleLocked && !kept.empty() && kept.front().accepted()) {
                observedScales.push_back(kept.front().xScale());
                if (const std::optional<double> s =
                        xf_OCExtractScaleConsensus(observedScales, minAgree)) {
                    scaleLocked = true;
                    p.zoneEnable(xcAlignRunParams::eAngle);
                    p.nominal(xcAlignRunParams::eScale, *s);
                }
            }

            const xcPelRect trainWindow = pattern.trainImage().window();
            long taken = 0;
            for (const xcAlignResult& k : kept) {
                if (taken >= p.numToFind()) break;
                if (!k.accepted()) continue;
                r->append_(xc_OCExtractCharInstance(k, trainClientXform, trainWindow));
                ++taken;
            }
        }

        r->found_ = r->numInstances() > 0;
        r->time_ = modelTimer.msec();
        modelTimer.reset();
        r->numOccurrences_ = keyCounts[m];
        result.addToResult_(modelKeys[m], r);
    }
    return found;
}

void xc_OCExtractModel::postProcessResults_(xc_OCExtractStringResult& result,
                                            const std::vector<long>& keys,
                                            const xc_OCExtractRunParams&, xcDiagObject*,
                                            unsigned long) {
    const std::size_t n = modelKeys.size();
    for (std::size_t m = 0; m < n; ++m) {
        const auto it = result.charResultsByKey_.find(modelKeys[m]);
        if (it != result.charResultsByKey_.end()) result.uniqueCharResults_.push_back(it->second);
    }
    for (auto& r : result.uniqueCharResults_) {
        assert(r);
        r->sortByScore_();
    }
    result.results_.assign(keys.size(), xc_OCExtractStringResult::Handle());
    for (std::size_t pos = 0; pos < keys.size(); ++pos) {
        const auto it = std::find(modelKeys.begin(), modelKeys.end(), keys[pos]);
        assert(it != modelKeys.end());
        result.results_[pos] =
            result.uniqueCharResults_[static_cast<std::size_t>(it - modelKeys.begin())];
    }
}
