#include "oc/arrange/candidate_search.h"

#include "diag/diag_object.h"
#include "oc/arrange/detail/diag_text.h"
#include "oc/extract/extract_model.h"

#include <cstddef>

namespace {

// How far below the K-th best instance a later one may score and still be tried.
constexpr double kCandidateMargin = 0.15;
// The K-th best instance must score this much for the character to be required.
constexpr double kRequiredScore = 0.7;

} // namespace

void xf_ArrangeTakeCandidates_(const xc_OCExtractCharResult& r, xc_CharData& data,
                               std::vector<xc_Pose>& poses, std::vector<double>& scores) {
    data.symmetry = r.symmetry();
    data.rot180Pose = r.rot180Pose();
    const long n = r.numInstances(), k = r.numOccurrences();
    data.numOccurrences = k;
    if (n > k && k > 0) {
        const double threshold = r.score(k - 1) - kCandidateMargin;
        long count = k;
        while (count < n && r.score(count) >= threshold) ++count;
        data.numCandidates = count;
    } else {
        data.numCandidates = n;
    }
    data.allowUnmatched = !(n >= k && k > 0 && r.score(k - 1) >= kRequiredScore);
    poses.reserve(static_cast<std::size_t>(n));
    scores.reserve(static_cast<std::size_t>(n));
    for (long j = 0; j < n; ++j) {
        poses.emplace_back(r.pose(j));
        scores.push_back(r.score(j));
    }
    if (n == 0) data.hasCandidates = false;
}

bool xf_ArrangeCandidateSearch_(const xcPelBuffer_const<unsigned char>& image,
                                const xcPelBuffer_const<unsigned char>& binaryMask,
                                const xcPtrHandle_const<xcOCAlphabet>& alphabet,
                                const std::vector<long>& keys, const xcOCArrangeParams& params,
                                std::vector<xc_CharData>& charData,
                                std::vector<std::vector<xc_Pose>>& poses,
                                std::vector<std::vector<double>>& scores, xcDiagObject* rec,
                                unsigned long flags) {
    const std::size_t n = keys.size();
    poses.assign(n, {});
    scores.assign(n, {});

    xc_OCExtractModelParams modelParams;
    modelParams.angleRange = xcRange(-179.0, 180.0);
    modelParams.scaleRange = params.scaleRange();
    modelParams.scalar = 1.0;
    modelParams.grainLimits = {-1.0, -1.0};

    xc_OCExtractRunParams runParams;
    runParams.timeout = params.timeout();
    runParams.acceptThreshold = params.minMatchScore();
    runParams.confusionThreshold = 0.7;
    runParams.overlap = 0.5;

    xc_OCExtractStringResult result;
    bool complete = false;
    {
        const oc_detail::DiagDeeper outer(rec);
        if (rec != nullptr) rec->newDiagRecord()->image(image, "Search for characters");
        const oc_detail::DiagDeeper inner(rec);
        xc_OCExtractModel model;
        complete = model.search(alphabet, keys, image, binaryMask, modelParams, runParams, result,
                                rec, flags);
    }

    const auto& perChar = result.results();
    for (std::size_t i = 0; i < n && i < perChar.size(); ++i) {
        if (perChar[i].isNull()) {
            charData[i].hasCandidates = false;
            continue;
        }
        xf_ArrangeTakeCandidates_(*perChar[i], charData[i], poses[i], scores[i]);
    }
    return complete;
}
