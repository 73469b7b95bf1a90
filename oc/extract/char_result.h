// Everything one extraction search found for one character model.
#pragma once

#include "core/base/handle.h"
#include "core/geom/affine_rect.h"
#include "core/geom/xform.h"
#include "foundation/export.h"
#include "oc/extract/char_instance.h"
#include "oc/extract/extract_defs.h"

#include <vector>

// Shared through xcPtrHandle<xc_OCExtractCharResult>: the positions of a key list that hold the
// same key share one result. Only the extraction tool fills it.
class OC_API xc_OCExtractCharResult : public virtual xcRepBase {
public:
    // Not found, time 0, no instances, eNoSymmetry, identity rot180Pose, no occurrences.
    xc_OCExtractCharResult() = default;
    xc_OCExtractCharResult(const xc_OCExtractCharResult& other);
    xc_OCExtractCharResult& operator=(const xc_OCExtractCharResult& other);
    ~xc_OCExtractCharResult() override;

    // Back to the state after construction, except that rot180Pose is kept.
    void init();

    long numInstances() const { return static_cast<long>(instances_.size()); }
    bool found() const { return found_; }
    void found(bool v) { found_ = v; }
    // Milliseconds spent searching this model.
    double time() const { return time_; }
    void time(double ms) { time_ = ms; }
    xc_OCExtractDefs::Symmetry symmetry() const { return symmetry_; }
    // Where the model lies in its own image turned by 180 degrees.
    const xcXform<2>& rot180Pose() const { return rot180Pose_; }
    // How many positions of the requested key list hold this model's key.
    long numOccurrences() const { return numOccurrences_; }
    void numOccurrences(long n) { numOccurrences_ = n; }

    // The fields of instance i (best first after the search); an index outside
    // 0 .. numInstances() - 1 throws xc_OCExtractDefs::xc_OCExtractError "Bad index".
    xcXform<2> pose(long i) const;
    double score(long i) const;
    xcAffineRectangle affRect(long i) const;

private:
    friend class xc_OCExtractModel;
    friend class xc_OCExtractStringResult;
    friend struct xc_OCExtractTestAccess;

    void append_(const xc_OCExtractCharInstance& instance) { instances_.push_back(instance); }
    // Best score first (unstable among equal scores).
    void sortByScore_();
    // Appends other's instances after these, sums the times and ors the found flags; symmetry,
    // rot180Pose and numOccurrences stay.
    xc_OCExtractCharResult& operator+=(const xc_OCExtractCharResult& other);
    // Erases every instance after i that instance i isEqual (i's rectangle mapped into theirs).
    void removeOverlapping_(long i, double tolerance);
    // Instance i isEqual instance j; a bad index throws "Bad index".
    bool doesOverlap_(long i, long j, double tolerance) const;
    const xc_OCExtractCharInstance& at_(long i) const;

    bool found_ = false;
    double time_ = 0.0;
    std::vector<xc_OCExtractCharInstance> instances_;
    xc_OCExtractDefs::Symmetry symmetry_ = xc_OCExtractDefs::eNoSymmetry;
    xcXform<2> rot180Pose_;
    long numOccurrences_ = 0;
};
