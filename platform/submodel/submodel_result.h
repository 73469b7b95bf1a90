// Results of the sub-model tool: one found placement and the set a run reports.
#pragma once

#include "core/geom/xform_base.h"
#include "submodel/export.h"

#include <vector>

// One placement of the trained model in a run image.
class XSUBMODEL_API xcSubModelResult {
public:
    // Score 0, identity pose.
    xcSubModelResult();
    // A null pose throws xc_SubModelDefs::BadParams.
    xcSubModelResult(double score, const xcXformHandle& pose);

    // 0..1, higher meaning a better match: the normalised correlation of model and image over
    // the pels both care for, clamped at 0.
    double score() const { return score_; }
    // Maps the model image's client coordinates to the run image's client coordinates. Its
    // linear part is the start pose's, exactly; only the translation was searched. Never null.
    const xcXformHandle& pose() const { return pose_; }

private:
    double score_ = 0.0;
    xcXformHandle pose_;
};

// What one run found, best score first.
class XSUBMODEL_API xc_SubModelResultSet {
public:
    // Empty.
    xc_SubModelResultSet() = default;

    // The number of results that reached the run's acceptThreshold: the first numFound() of
    // results().
    long numFound() const { return numFound_; }
    // The local maxima of the score over the searched placements that reached the threshold,
    // best first (at most xc_SubModelTool::kMaxResults). When none reached it but some placement
    // was scored, the best placement alone, with numFound() 0.
    const std::vector<xcSubModelResult>& results() const { return results_; }

    void clear() {
        results_.clear();
        numFound_ = 0;
    }
    // Replaces the contents; numFound is clamped to 0 .. results.size().
    void assign(std::vector<xcSubModelResult> results, long numFound);

private:
    std::vector<xcSubModelResult> results_;
    long numFound_ = 0;
};
