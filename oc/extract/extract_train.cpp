// Training of the extraction model: one pattern per distinct requested key, the search order
// and the symmetry classification.
#include "oc/extract/detail/edge_score.h"
#include "oc/extract/detail/train_cache.h"
#include "oc/extract/extract_model.h"

#include "align/align_defs.h"
#include "align/align_pattern.h"
#include "core/geom/angle.h"
#include "core/image/pel_ops.h"
#include "core/sys/attention.h"
#include "core/sys/timer.h"
#include "oc/imageutil/affine_clip.h"

#include <algorithm>
#include <utility>

namespace {

using Image = xcPelBuffer_const<unsigned char>;

// Smaller character images are trained at twice their size, so that the pattern keeps enough
// pels to fix its pose.
constexpr long kMinTrainSize = 15;

bool isSmall(const xcPelRect& w) {
    return w.width() < kMinTrainSize || w.height() < kMinTrainSize;
}

// The model's image windowed to its image area.
Image areaImage(const xcOCModel& model) {
    Image area = model.image();
    area.window(model.imageArea(), false);
    return area;
}

// The image training sees: a copy of the area, or the area enlarged twice.
Image trainImageOf(const Image& area) {
    xcPelBuffer<unsigned char> out;
    if (!isSmall(area.window()))
        xfPelCopy(area, out);
    else
        xf_AffineTransform(area, xcRadian(0.0), 2.0, out, xcAffineSamplingParams::eBilinear);
    return Image(out);
}

// Two attempts: as configured, then with the finest fixed grain. A refusal of the tool is
// quiet; a time-out or anything else propagates.
bool trainPattern(xcAlignPattern& pattern, const Image& trainImage) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt == 1) {
            pattern.autoSelectGrainLimits(false);
            pattern.grainLimits(1.0f, 1.0f);
        }
        try {
            pattern.train(trainImage, 3, nullptr, 0);
            return true;
        } catch (const xc_AlignDefs::Errors& e) {
            (void)e.message();
        }
    }
    return false;
}

// Runs the pattern on its own area image turned by angleDeg (and enlarged as training was),
// holding the angle at -angleDeg. Succeeds when the best kept result is accepted and scores
// above 0.7; an accepted result's pose goes to `pose` either way.
bool selfMatch(const xcAlignPattern& pattern, const Image& area, double angleDeg,
               xcXform<2>& pose) {
    const double scale = isSmall(area.window()) ? 2.0 : 1.0;
    xcPelBuffer<unsigned char> turned;
    xf_AffineTransform(area, xcRadian(xcDegree(angleDeg)), scale, turned,
                       xcAffineSamplingParams::eBilinear);

    xcAlignRunParams p;
    p.acceptThreshold(0.3);
    p.algorithm(2);
    p.scoreUsingClutter(false);
    p.contrastThreshold(10.0);
    p.xyOverlap(0.3);
    p.numToFind(1);
    p.nominal(xcAlignRunParams::eAngle, -angleDeg);
    xcAlignResultSet results;
    pattern.run(Image(turned), p, results, nullptr, 0);

    std::vector<xcAlignResult> kept;
    for (const xcAlignResult& r : results)
        if (r.accepted() && r.coverage() >= 0.0) kept.push_back(r);
    if (kept.empty()) kept.assign(results.begin(), results.end());
    if (kept.empty() || !kept.front().accepted()) return false;
    pose = kept.front().pose();
    return kept.front().score() > 0.7;
}

} // namespace

void xc_OCExtractModel::train_(const xcPtrHandle_const<xcOCAlphabet>& alphabet,
                               const std::vector<long>& keys, xc_OCExtractStringResult& result,
                               xcDiagObject*, unsigned long) {
    xcTimer timer;
    timer.start();

    modelKeys = keys;
    std::sort(modelKeys.begin(), modelKeys.end());
    modelKeys.erase(std::unique(modelKeys.begin(), modelKeys.end()), modelKeys.end());
    const std::size_t n = modelKeys.size();
    keyCounts.assign(n, 0);
    for (std::size_t i = 0; i < n; ++i)
        keyCounts[i] = static_cast<long>(std::count(keys.begin(), keys.end(), modelKeys[i]));
    result.trainTime_ = 0.0;

    const bool autoGrain =
        modelParams.grainLimits.first == -1.0 || modelParams.grainLimits.second == -1.0;
    patterns.clear();
    patterns.resize(n);
    searchOrder.clear();
    std::vector<std::pair<long, double>> order(n);
    for (std::size_t i = 0; i < n; ++i) order[i] = {static_cast<long>(i), 0.0};

    for (std::size_t i = 0; i < n; ++i) {
        // Training itself polls nothing: forty models ran 4-8 ms between two polls.
        xcAttention::check();
        if (!alphabet->hasCharacter(modelKeys[i])) continue;
        const xcOCModel& model = *alphabet->character(modelKeys[i]);
        if (!model.image().isBound()) continue;
        // The same pels trained before on this thread give the same pattern and edge score.
        const Image area = areaImage(model);
        if (const auto kept = xf_OCFindTrainedChar(area, autoGrain, modelParams.grainLimits)) {
            if (kept->pattern) {
                patterns[i] = std::make_unique<xcAlignPattern>(*kept->pattern);
                order[i].second = kept->edgeScore;
            }
            continue;
        }
        const Image trainImage = trainImageOf(area);
        if (model.charType() == xcOCModel::eBlank) continue;
        const std::optional<double> edgeScore = xf_OCExtractEdgeScore(trainImage);
        std::unique_ptr<xcAlignPattern> pattern;
        if (edgeScore) {
            pattern = std::make_unique<xcAlignPattern>();
            pattern->autoSelectGrainLimits(autoGrain);
            if (!autoGrain)
                pattern->grainLimits(static_cast<float>(modelParams.grainLimits.first),
                                     static_cast<float>(modelParams.grainLimits.second));
            if (!trainPattern(*pattern, trainImage)) pattern.reset();
        }
        const auto kept = xf_OCKeepTrainedChar(area, autoGrain, modelParams.grainLimits);
        if (!pattern) continue;
        kept->pattern = std::make_shared<const xcAlignPattern>(*pattern);
        kept->edgeScore = *edgeScore;
        patterns[i] = std::move(pattern);
        order[i].second = *edgeScore;
    }

    std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
        return a.second > b.second || (a.second == b.second && a.first < b.first);
    });
    for (const auto& entry : order) searchOrder.push_back(entry.first);

    computeModelSymmetries_(alphabet, nullptr, 0);

    timer.stop();
    result.trainTime_ += timer.msec();
}

void xc_OCExtractModel::computeModelSymmetries_(const xcPtrHandle_const<xcOCAlphabet>& alphabet,
                                                xcDiagObject*, unsigned long) {
    const std::size_t n = patterns.size();
    symmetries.assign(n, xc_OCExtractDefs::eNoSymmetry);
    rot180Poses.assign(n, xcXform<2>());
    static constexpr double kProbesDeg[5] = {-65.0, -29.0, 32.0, 45.0, 96.0};

    for (std::size_t i = 0; i < n; ++i) {
        if (!patterns[i]) continue;
        const Image area = areaImage(*alphabet->character(modelKeys[i]));
        const bool autoGrain =
            modelParams.grainLimits.first == -1.0 || modelParams.grainLimits.second == -1.0;
        const auto kept = xf_OCFindTrainedChar(area, autoGrain, modelParams.grainLimits);
        if (kept && kept->classified) {
            symmetries[i] = kept->symmetry;
            rot180Poses[i] = kept->rot180Pose;
            continue;
        }
        const bool r180 = selfMatch(*patterns[i], area, 180.0, rot180Poses[i]);
        bool all = r180;
        xcXform<2> discarded;
        for (int k = 0; k < 5 && all; ++k)
            all = selfMatch(*patterns[i], area, kProbesDeg[k], discarded);
        symmetries[i] = all    ? xc_OCExtractDefs::eFullSymmetry
                        : r180 ? xc_OCExtractDefs::e180Symmetry
                               : xc_OCExtractDefs::eNoSymmetry;
        if (kept) {
            kept->symmetry = symmetries[i];
            kept->rot180Pose = rot180Poses[i];
            kept->classified = true;
        }
    }
}
