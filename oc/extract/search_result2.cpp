#include "oc/extract/search_result2.h"

#include "oc/extract/extract_defs.h"

#include <algorithm>

xc_SearchResult2::~xc_SearchResult2() = default;

void xc_SearchResult2::init() {
    found_ = false;
    time_ = 0.0;
    instances_.clear();
}

const xc_SearchResult2::Instance& xc_SearchResult2::at_(long i) const {
    if (i < 0 || i >= numInstances()) throw xc_OCExtractDefs::xc_OCExtractError("Refine error");
    return instances_[static_cast<std::size_t>(i)];
}

xcXform<2> xc_SearchResult2::pose(long i) const {
    return at_(i).pose;
}

double xc_SearchResult2::score(long i) const {
    return at_(i).score;
}

xcAffineRectangle xc_SearchResult2::affRect(long i) const {
    return at_(i).affRect;
}

void xc_SearchResult2::sortByScore_() {
    std::sort(instances_.begin(), instances_.end(), &xc_OCExtractCharInstance::orderByScore);
}

xc_SearchResult2& xc_SearchResult2::operator+=(const xc_SearchResult2& other) {
    const std::vector<Instance> add = other.instances_;
    instances_.insert(instances_.end(), add.begin(), add.end());
    time_ += other.time_;
    found_ = found_ || other.found_;
    return *this;
}

void xc_SearchResult2::removeOverlapping_(long i, double tolerance) {
    const Instance keep = at_(i);
    for (long j = i + 1; j < numInstances();) {
        if (keep.isEqual(instances_[static_cast<std::size_t>(j)], tolerance))
            instances_.erase(instances_.begin() + j);
        else
            ++j;
    }
}

bool xc_SearchResult2::doesOverlap_(long i, long j, double tolerance) const {
    if (i < 0 || i >= numInstances() || j < 0 || j >= numInstances())
        throw xc_OCExtractDefs::xc_OCExtractError("refine error");
    return instances_[static_cast<std::size_t>(i)].isEqual(instances_[static_cast<std::size_t>(j)],
                                                           tolerance);
}
