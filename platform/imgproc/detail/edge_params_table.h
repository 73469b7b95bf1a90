// The declared fields of the edge-detection parameters.
#pragma once

#include "core/base/param_table.h"
#include "imgproc/edges.h"
#include "imgproc/imgproc_errors.h"

#include <limits>

struct xc_EdgeParamsTable {
    using Owner = xcEdgeParams;
    using Error = xcImgProcDefs::BadParams;

    static constexpr double kMaxFilterSize = 16.0;

    static inline const xc_ParamField<Owner, double> filterSize{
        "filterSize",
        &Owner::filterSize_,
        &Owner::filterSize,
        1.0,
        0.0,
        kMaxFilterSize,
        "Edge filter size must be between 0 and 16"};
    static inline const xc_ParamField<Owner, double> magnitudeThreshold{
        "magnitudeThreshold",
        &Owner::magnitudeThreshold_,
        &Owner::magnitudeThreshold,
        10.0,
        0.0,
        std::numeric_limits<double>::max(),
        "Edge magnitude threshold must be finite and >= 0"};
    static inline const xc_ParamField<Owner, long> edgeType{
        "edgeType",
        &Owner::edgeType_,
        &Owner::edgeType,
        xcEdgeParams::ePeakEdges,
        xcEdgeParams::eAllEdges,
        xcEdgeParams::ePeakEdges,
        "Edge type must be 0 (all edges) or 1 (peak edges)"};

    static auto fields() { return std::tie(filterSize, magnitudeThreshold, edgeType); }
};
