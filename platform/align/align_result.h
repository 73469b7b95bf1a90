// Results of the pattern-alignment tool: one found instance and the ordered set of them.
#pragma once

#include "align/export.h"
#include "core/geom/xform.h"

#include <cstddef>
#include <utility>
#include <vector>

// One instance of a pattern in a run image.
class XALIGN_API xcAlignResult {
public:
    // Score 0, identity pose, not accepted.
    xcAlignResult() = default;
    xcAlignResult(double score, const xcXform<2>& pose, bool accepted, double coverage,
                  double clutter, double angleDeg, double scale, double contrast);

    // 0..1, 1 for a perfect match: the normalised correlation of the trained grey template with
    // the image at the found pose (clamped at 0, pels outside the image counting as mismatches)
    // times the share of the trained edge points that the image shows in place with their
    // direction; less the clutter when the run asked for it.
    double score() const { return score_; }
    // The pattern's train client coordinates to the run image's client coordinates.
    const xcXform<2>& pose() const { return pose_; }
    // score() >= the run's acceptThreshold.
    bool accepted() const { return accepted_; }
    // The share (0..1) of the trained edge features whose placed position lies inside the run
    // image's window.
    double coverage() const { return coverage_; }
    // Strong image-edge pels under the placed pattern more than 2 pels from any of its edges,
    // over the number of pattern pels within 2 pels of its edges (clamped to 0..1).
    double clutter() const { return clutter_; }
    // The x scale of the pose (length of its first matrix column).
    double xScale() const { return pose_.xScale(); }
    // The found rotation and isotropic scale, in the terms of the run's zones (degrees).
    double angleDeg() const { return angleDeg_; }
    double scale() const { return scale_; }
    // The grey standard deviation of the image under the placed pattern.
    double contrast() const { return contrast_; }

private:
    double score_ = 0.0;
    xcXform<2> pose_;
    bool accepted_ = false;
    double coverage_ = 0.0;
    double clutter_ = 0.0;
    double angleDeg_ = 0.0;
    double scale_ = 1.0;
    double contrast_ = 0.0;
};

// The results of one run, best score first. A run fills it as it goes, so after a time-out it
// holds what was found until then.
class XALIGN_API xcAlignResultSet {
public:
    xcAlignResultSet() = default;

    std::size_t size() const { return results_.size(); }
    bool empty() const { return results_.empty(); }
    // Result i; i >= size() throws xc_AlignDefs::BadParams.
    const xcAlignResult& operator[](std::size_t i) const;
    std::vector<xcAlignResult>::const_iterator begin() const { return results_.begin(); }
    std::vector<xcAlignResult>::const_iterator end() const { return results_.end(); }
    // The number of accepted results.
    std::size_t numAccepted() const;

    void clear() { results_.clear(); }
    // Replaces the contents (the tool publishes each step of a run this way).
    void assign(std::vector<xcAlignResult> results) { results_ = std::move(results); }

private:
    std::vector<xcAlignResult> results_;
};
