// What one run of the refinement searcher found.
#pragma once

#include "core/base/handle.h"
#include "core/geom/affine_rect.h"
#include "core/geom/vector.h"
#include "core/geom/xform.h"
#include "foundation/export.h"
#include "oc/extract/char_instance.h"

#include <vector>

// Shared through xcPtrHandle<xc_SearchResult2>; only xcRSICorrSearchModel fills it.
class OC_API xc_SearchResult2 : public virtual xcRepBase {
public:
    // One find: score, pose and rectangle as for an extracted character, plus where the
    // correlation model's client origin landed and which of the searcher's models found it.
    struct Instance : xc_OCExtractCharInstance {
        xcVector<2> location;
        long modelIndex = -1;
    };

    xc_SearchResult2() = default;
    xc_SearchResult2(const xc_SearchResult2&) = default;
    xc_SearchResult2& operator=(const xc_SearchResult2&) = default;
    ~xc_SearchResult2() override;

    // Not found, time 0, no instances.
    void init();

    bool found() const { return found_; }
    // Milliseconds of the run.
    double time() const { return time_; }
    long numInstances() const { return static_cast<long>(instances_.size()); }
    // The fields of instance i; an index outside 0 .. numInstances() - 1 throws
    // xc_OCExtractDefs::xc_OCExtractError "Refine error".
    xcXform<2> pose(long i) const;
    double score(long i) const;
    xcAffineRectangle affRect(long i) const;
    const Instance& instance(long i) const { return at_(i); }

private:
    friend class xcRSICorrSearchModel;
    friend struct xc_OCExtractTestAccess;

    const Instance& at_(long i) const;
    // Best score first.
    void sortByScore_();
    // Appends other's instances, sums the times and ors the found flags.
    xc_SearchResult2& operator+=(const xc_SearchResult2& other);
    // Erases every instance after i that instance i isEqual.
    void removeOverlapping_(long i, double tolerance);
    // Instance i isEqual instance j; a bad index throws "refine error".
    bool doesOverlap_(long i, long j, double tolerance) const;

    bool found_ = false;
    double time_ = 0.0;
    std::vector<Instance> instances_;
};
