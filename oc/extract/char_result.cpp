#include "oc/extract/char_result.h"

#include <algorithm>

xc_OCExtractCharResult::xc_OCExtractCharResult(const xc_OCExtractCharResult& other)
    : xcRepBase(other), found_(other.found_), time_(other.time_), instances_(other.instances_),
      symmetry_(other.symmetry_), rot180Pose_(other.rot180Pose_),
      numOccurrences_(other.numOccurrences_) {
}

xc_OCExtractCharResult& xc_OCExtractCharResult::operator=(const xc_OCExtractCharResult& other) {
    found_ = other.found_;
    time_ = other.time_;
    instances_ = other.instances_;
    symmetry_ = other.symmetry_;
    rot180Pose_ = other.rot180Pose_;
    numOccurrences_ = other.numOccurrences_;
    return *this;
}

xc_OCExtractCharResult::~xc_OCExtractCharResult() = default;

void xc_OCExtractCharResult::init() {
    found_ = false;
    time_ = 0.0;
    instances_.clear();
    symmetry_ = xc_OCExtractDefs::eNoSymmetry;
    numOccurrences_ = 0;
}

const xc_OCExtractCharInstance& xc_OCExtractCharResult::at_(long i) const {
    if (i < 0 || i >= numInstances()) throw xc_OCExtractDefs::xc_OCExtractError("Bad index");
    return instances_[static_cast<std::size_t>(i)];
}

xcXform<2> xc_OCExtractCharResult::pose(long i) const {
    return at_(i).pose;
}

double xc_OCExtractCharResult::score(long i) const {
    return at_(i).score;
}

xcAffineRectangle xc_OCExtractCharResult::affRect(long i) const {
    return at_(i).affRect;
}

void xc_OCExtractCharResult::sortByScore_() {
    std::sort(instances_.begin(), instances_.end(), &xc_OCExtractCharInstance::orderByScore);
}

xc_OCExtractCharResult& xc_OCExtractCharResult::operator+=(const xc_OCExtractCharResult& other) {
    // A copy first, so that adding a result to itself doubles it cleanly.
    const std::vector<xc_OCExtractCharInstance> add = other.instances_;
    instances_.insert(instances_.end(), add.begin(), add.end());
    time_ += other.time_;
    found_ = found_ || other.found_;
    return *this;
}

void xc_OCExtractCharResult::removeOverlapping_(long i, double tolerance) {
    const xc_OCExtractCharInstance keep = at_(i);
    for (long j = i + 1; j < numInstances();) {
        if (keep.isEqual(instances_[static_cast<std::size_t>(j)], tolerance))
            instances_.erase(instances_.begin() + j);
        else
            ++j;
    }
}

bool xc_OCExtractCharResult::doesOverlap_(long i, long j, double tolerance) const {
    return at_(i).isEqual(at_(j), tolerance);
}
