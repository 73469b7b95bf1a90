#include "oc/arrange/arrange_params.h"

#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"
#include "oc/arrange/detail/enum_archive.h"

namespace {

void check(bool ok, const char* message) {
    if (!ok) throw xcOCArrangeDefs::BadParams(message);
}

} // namespace

xcOCArrangeParams::xcOCArrangeParams() : scaleRange_(0.9, 1.1) {
}

void xcOCArrangeParams::scaleRange(const xcRange& r) {
    check(!(r == xcRange::EmptyRange()) && !(r == xcRange::FullRange()) && r.start() > 0.0,
          "Invalid scale range");
    scaleRange_ = r;
}

void xcOCArrangeParams::minMatchScore(double v) {
    check(v >= 0.0 && v <= 1.0, "Invalid min match score");
    minMatchScore_ = v;
}

void xcOCArrangeParams::maxLines(long v) {
    check(v >= 1, "Invalid max lines");
    maxLines_ = v;
}

void xcOCArrangeParams::lineType(xcOCArrangeDefs::LineType v) {
    check(v == xcOCArrangeDefs::eStraight || v == xcOCArrangeDefs::eCircular ||
              v == xcOCArrangeDefs::eDontCare,
          "Invalid line type");
    lineType_ = v;
}

void xcOCArrangeParams::maxUnmatchedChars(long v) {
    check(v >= 0, "Invalid max unmatched chars");
    maxUnmatchedChars_ = v;
}

void xcOCArrangeParams::orientationMode(xcOCArrangeDefs::OrientationMode v) {
    check(v == xcOCArrangeDefs::eSpecified || v == xcOCArrangeDefs::eAverage,
          "Invalid orientation mode");
    orientationMode_ = v;
}

void xcOCArrangeParams::orientationReference(xcOCArrangeDefs::OrientationReference v) {
    check(v == xcOCArrangeDefs::eAbsolute || v == xcOCArrangeDefs::eRelative,
          "Invalid orientation reference");
    orientationReference_ = v;
}

void xcOCArrangeParams::lineBreakCost(double v) {
    check(v >= 0.0, "Invalid line break cost");
    lineBreakCost_ = v;
}

void xcOCArrangeParams::unmatchedCharCost(double v) {
    check(v >= 0.0, "Invalid unmatched char cost");
    unmatchedCharCost_ = v;
}

void xcOCArrangeParams::normalTransCost(double v) {
    check(v >= 0.0, "Invalid normal translation cost");
    normalTransCost_ = v;
}

void xcOCArrangeParams::tangentialTransCost(double v) {
    check(v >= 0.0, "Invalid tangential translation cost");
    tangentialTransCost_ = v;
}

void xcOCArrangeParams::orientationCost(double v) {
    check(v >= 0.0, "Invalid orientation cost");
    orientationCost_ = v;
}

void xcOCArrangeParams::scaleCost(double v) {
    check(v >= 0.0, "Invalid scale cost");
    scaleCost_ = v;
}

void xcOCArrangeParams::maxCandidates(long v) {
    check(v >= 0, "Invalid max candidates");
    maxCandidates_ = v;
}

void xcOCArrangeParams::timeout(double v) {
    check(v >= 0.0, "Invalid timeout");
    timeout_ = v;
}

bool xcOCArrangeParams::operator==(const xcOCArrangeParams& o) const {
    return scaleRange_ == o.scaleRange_ && minMatchScore_ == o.minMatchScore_ &&
           maxLines_ == o.maxLines_ && lineType_ == o.lineType_ &&
           isTextDirectionSpecified_ == o.isTextDirectionSpecified_ &&
           straightTextDirection_ == o.straightTextDirection_ &&
           isCircularTextDirectionClockwise_ == o.isCircularTextDirectionClockwise_ &&
           maxUnmatchedChars_ == o.maxUnmatchedChars_ && orientationMode_ == o.orientationMode_ &&
           orientationReference_ == o.orientationReference_ &&
           expectedOrientation_ == o.expectedOrientation_ && lineBreakCost_ == o.lineBreakCost_ &&
           unmatchedCharCost_ == o.unmatchedCharCost_ && normalTransCost_ == o.normalTransCost_ &&
           tangentialTransCost_ == o.tangentialTransCost_ &&
           orientationCost_ == o.orientationCost_ && scaleCost_ == o.scaleCost_ &&
           compPoseUncertainties_ == o.compPoseUncertainties_ &&
           maxCandidates_ == o.maxCandidates_ && timeout_ == o.timeout_;
}

xcArchive& operator||(xcArchive& ar, xcOCArrangeParams& p) {
    // The version byte is read unsigned, so that no damaged byte passes as an old version.
    unsigned char version = 0;
    ar || version;
    if (version != 0) throw xcArchive::UnknownVersion("oc/arrange", 613);
    // Loading fills a copy and commits it only when every field was read.
    xcOCArrangeParams loaded;
    xcOCArrangeParams& q = ar.isStoring() ? p : loaded;
    double straight = q.straightTextDirection_.toDouble();
    double expected = q.expectedOrientation_.toDouble();
    ar || q.scaleRange_ || q.minMatchScore_ || q.maxLines_;
    oc_detail::archiveEnum(ar, q.lineType_, xcOCArrangeDefs::eDontCare);
    ar || q.isTextDirectionSpecified_ || straight || q.isCircularTextDirectionClockwise_ ||
        q.maxUnmatchedChars_;
    oc_detail::archiveEnum(ar, q.orientationMode_, xcOCArrangeDefs::eAverage);
    oc_detail::archiveEnum(ar, q.orientationReference_, xcOCArrangeDefs::eRelative);
    ar || expected || q.lineBreakCost_ || q.unmatchedCharCost_ || q.normalTransCost_ ||
        q.tangentialTransCost_ || q.orientationCost_ || q.scaleCost_ || q.compPoseUncertainties_ ||
        q.maxCandidates_ || q.timeout_;
    if (ar.isLoading()) {
        loaded.straightTextDirection_ = xcRadian(straight);
        loaded.expectedOrientation_ = xcRadian(expected);
        p = loaded;
    }
    return ar;
}
