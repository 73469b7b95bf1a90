// The declared fields of xcOCArrangeParams, in archive order.
#pragma once

#include "core/base/param_table.h"
#include "oc/arrange/arrange_params.h"

#include <cmath>
#include <limits>

struct xc_OCArrangeParamsTable {
    using Owner = xcOCArrangeParams;
    using Error = xcOCArrangeDefs::BadParams;
    using D = xcOCArrangeDefs;

    static constexpr double kMax = std::numeric_limits<double>::max();
    static constexpr long kLongMax = std::numeric_limits<long>::max();

    static bool goodScaleRange(const xcRange& r) {
        return !(r == xcRange::EmptyRange()) && !(r == xcRange::FullRange()) && r.start() > 0.0 &&
               std::isfinite(r.end());
    }
    static bool finiteAngle(const xcRadian& a) { return std::isfinite(a.toDouble()); }

    template <class T>
    using F = xc_ParamField<Owner, T>;

    static inline const F<xcRange> scaleRange{
        "scaleRange", &Owner::scaleRange_,   &Owner::scaleRange, xcRange(0.9, 1.1), {},
        {},           "Invalid scale range", &goodScaleRange,    xcRange(0.0, 1.0)};
    static inline const F<double> minMatchScore{
        "minMatchScore",          &Owner::minMatchScore_, &Owner::minMatchScore, 0.4, 0.0, 1.0,
        "Invalid min match score"};
    static inline const F<long> maxLines{
        "maxLines", &Owner::maxLines_, &Owner::maxLines,   Owner::kNoLimit,
        1,          kLongMax,          "Invalid max lines"};
    static inline const F<D::LineType> lineType{
        "lineType",   &Owner::lineType_, &Owner::lineType,   D::eDontCare,
        D::eStraight, D::eDontCare,      "Invalid line type"};
    static inline const F<bool> isTextDirectionSpecified{"isTextDirectionSpecified",
                                                         &Owner::isTextDirectionSpecified_,
                                                         &Owner::isTextDirectionSpecified,
                                                         false,
                                                         false,
                                                         true,
                                                         ""};
    static inline const F<xcRadian> straightTextDirection{
        "straightTextDirection",
        &Owner::straightTextDirection_,
        &Owner::straightTextDirection,
        xcRadian(0.0),
        {},
        {},
        "Invalid straight text direction",
        &finiteAngle,
        xcRadian(std::numeric_limits<double>::infinity())};
    static inline const F<bool> isCircularTextDirectionClockwise{
        "isCircularTextDirectionClockwise",
        &Owner::isCircularTextDirectionClockwise_,
        &Owner::isCircularTextDirectionClockwise,
        true,
        false,
        true,
        ""};
    static inline const F<long> maxUnmatchedChars{"maxUnmatchedChars",
                                                  &Owner::maxUnmatchedChars_,
                                                  &Owner::maxUnmatchedChars,
                                                  Owner::kNoLimit,
                                                  0,
                                                  kLongMax,
                                                  "Invalid max unmatched chars"};
    static inline const F<D::OrientationMode> orientationMode{"orientationMode",
                                                              &Owner::orientationMode_,
                                                              &Owner::orientationMode,
                                                              D::eAverage,
                                                              D::eSpecified,
                                                              D::eAverage,
                                                              "Invalid orientation mode"};
    static inline const F<D::OrientationReference> orientationReference{
        "orientationReference",
        &Owner::orientationReference_,
        &Owner::orientationReference,
        D::eRelative,
        D::eAbsolute,
        D::eRelative,
        "Invalid orientation reference"};
    static inline const F<xcRadian> expectedOrientation{
        "expectedOrientation",
        &Owner::expectedOrientation_,
        &Owner::expectedOrientation,
        xcRadian(0.0),
        {},
        {},
        "Invalid expected orientation",
        &finiteAngle,
        xcRadian(std::numeric_limits<double>::quiet_NaN())};
    static inline const F<double> lineBreakCost{
        "lineBreakCost",          &Owner::lineBreakCost_, &Owner::lineBreakCost, 2.0, 0.0, kMax,
        "Invalid line break cost"};
    static inline const F<double> unmatchedCharCost{"unmatchedCharCost",
                                                    &Owner::unmatchedCharCost_,
                                                    &Owner::unmatchedCharCost,
                                                    1.0,
                                                    0.0,
                                                    kMax,
                                                    "Invalid unmatched char cost"};
    static inline const F<double> normalTransCost{"normalTransCost",
                                                  &Owner::normalTransCost_,
                                                  &Owner::normalTransCost,
                                                  1.0,
                                                  0.0,
                                                  kMax,
                                                  "Invalid normal translation cost"};
    static inline const F<double> tangentialTransCost{"tangentialTransCost",
                                                      &Owner::tangentialTransCost_,
                                                      &Owner::tangentialTransCost,
                                                      1.0,
                                                      0.0,
                                                      kMax,
                                                      "Invalid tangential translation cost"};
    static inline const F<double> orientationCost{"orientationCost",
                                                  &Owner::orientationCost_,
                                                  &Owner::orientationCost,
                                                  1.0,
                                                  0.0,
                                                  kMax,
                                                  "Invalid orientation cost"};
    static inline const F<double> scaleCost{
        "scaleCost", &Owner::scaleCost_, &Owner::scaleCost, 1.0, 0.0, kMax, "Invalid scale cost"};
    static inline const F<bool> compPoseUncertainties{"compPoseUncertainties",
                                                      &Owner::compPoseUncertainties_,
                                                      &Owner::compPoseUncertainties,
                                                      false,
                                                      false,
                                                      true,
                                                      ""};
    static inline const F<long> maxCandidates{
        "maxCandidates", &Owner::maxCandidates_,  &Owner::maxCandidates, 500000, 0,
        kLongMax,        "Invalid max candidates"};
    static inline const F<double> timeout{"timeout", &Owner::timeout_, &Owner::timeout, 10.0, 0.0,
                                          kMax,      "Invalid timeout"};

    static auto fields() {
        return std::tie(scaleRange, minMatchScore, maxLines, lineType, isTextDirectionSpecified,
                        straightTextDirection, isCircularTextDirectionClockwise, maxUnmatchedChars,
                        orientationMode, orientationReference, expectedOrientation, lineBreakCost,
                        unmatchedCharCost, normalTransCost, tangentialTransCost, orientationCost,
                        scaleCost, compPoseUncertainties, maxCandidates, timeout);
    }
};
