// Every tuning value of one arrangement run.
#pragma once

#include "core/geom/angle.h"
#include "core/geom/range.h"
#include "foundation/export.h"
#include "oc/arrange/arrange_defs.h"

class xcArchive;
class xcOCArrangeParams;

// Version byte 0, then every field in declaration order: scaleRange, minMatchScore (double),
// maxLines (long), lineType (unsigned long), isTextDirectionSpecified (bool),
// straightTextDirection (radians as a double), isCircularTextDirectionClockwise (bool),
// maxUnmatchedChars (long), orientationMode, orientationReference (unsigned long),
// expectedOrientation (double), the six costs (doubles), compPoseUncertainties (bool),
// maxCandidates (long), timeout (double). Loading takes the values without the setters' checks
// (an enumeration value outside its enumeration is refused as damage).
OC_API xcArchive& operator||(xcArchive& ar, xcOCArrangeParams& p);

// Each setter checks its value first and throws xcOCArrangeDefs::BadParams, leaving the object
// unchanged; a NaN or an infinity is refused everywhere. 0x7fffffff in maxLines and
// maxUnmatchedChars means no limit. The fields, their defaults and ranges are declared once in
// detail/arrange_params_table.h.
class OC_API xcOCArrangeParams {
public:
    static constexpr long kNoLimit = 0x7fffffff;

    xcOCArrangeParams();
    xcOCArrangeParams(const xcOCArrangeParams&) = default;
    xcOCArrangeParams& operator=(const xcOCArrangeParams&) = default;

    // A range that is neither empty nor full and starts above 0; default 0.9 to 1.1.
    const xcRange& scaleRange() const { return scaleRange_; }
    void scaleRange(const xcRange& r);
    // 0 <= value <= 1; default 0.4.
    double minMatchScore() const { return minMatchScore_; }
    void minMatchScore(double v);
    // >= 1; default no limit.
    long maxLines() const { return maxLines_; }
    void maxLines(long v);
    // Default eDontCare.
    xcOCArrangeDefs::LineType lineType() const { return lineType_; }
    void lineType(xcOCArrangeDefs::LineType v);
    // Default false.
    bool isTextDirectionSpecified() const { return isTextDirectionSpecified_; }
    void isTextDirectionSpecified(bool v);
    // Default 0.
    const xcRadian& straightTextDirection() const { return straightTextDirection_; }
    void straightTextDirection(const xcRadian& v);
    // Default true.
    bool isCircularTextDirectionClockwise() const { return isCircularTextDirectionClockwise_; }
    void isCircularTextDirectionClockwise(bool v);
    // >= 0; default no limit.
    long maxUnmatchedChars() const { return maxUnmatchedChars_; }
    void maxUnmatchedChars(long v);
    // Default eAverage.
    xcOCArrangeDefs::OrientationMode orientationMode() const { return orientationMode_; }
    void orientationMode(xcOCArrangeDefs::OrientationMode v);
    // Default eRelative.
    xcOCArrangeDefs::OrientationReference orientationReference() const {
        return orientationReference_;
    }
    void orientationReference(xcOCArrangeDefs::OrientationReference v);
    // Default 0.
    const xcRadian& expectedOrientation() const { return expectedOrientation_; }
    void expectedOrientation(const xcRadian& v);
    // The costs are >= 0; default 2.0 for a line break, 1.0 for the others.
    double lineBreakCost() const { return lineBreakCost_; }
    void lineBreakCost(double v);
    double unmatchedCharCost() const { return unmatchedCharCost_; }
    void unmatchedCharCost(double v);
    double normalTransCost() const { return normalTransCost_; }
    void normalTransCost(double v);
    double tangentialTransCost() const { return tangentialTransCost_; }
    void tangentialTransCost(double v);
    double orientationCost() const { return orientationCost_; }
    void orientationCost(double v);
    double scaleCost() const { return scaleCost_; }
    void scaleCost(double v);
    // Default false.
    bool compPoseUncertainties() const { return compPoseUncertainties_; }
    void compPoseUncertainties(bool v);
    // >= 0; default 500000.
    long maxCandidates() const { return maxCandidates_; }
    void maxCandidates(long v);
    // Seconds, >= 0; default 10.
    double timeout() const { return timeout_; }
    void timeout(double v);

    // Every field equal (doubles exactly).
    bool operator==(const xcOCArrangeParams& o) const;
    bool operator!=(const xcOCArrangeParams& o) const { return !(*this == o); }

private:
    friend struct xc_OCArrangeParamsTable;

    xcRange scaleRange_;
    double minMatchScore_;
    long maxLines_;
    xcOCArrangeDefs::LineType lineType_;
    bool isTextDirectionSpecified_;
    xcRadian straightTextDirection_;
    bool isCircularTextDirectionClockwise_;
    long maxUnmatchedChars_;
    xcOCArrangeDefs::OrientationMode orientationMode_;
    xcOCArrangeDefs::OrientationReference orientationReference_;
    xcRadian expectedOrientation_;
    double lineBreakCost_;
    double unmatchedCharCost_;
    double normalTransCost_;
    double tangentialTransCost_;
    double orientationCost_;
    double scaleCost_;
    bool compPoseUncertainties_;
    long maxCandidates_;
    double timeout_;
};
