#include "oc/arrange/arrange_params.h"

#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"
#include "oc/arrange/detail/arrange_params_table.h"
#include "oc/arrange/detail/enum_archive.h"

#include <type_traits>

namespace {

using ArrangeTable = xc_OCArrangeParamsTable;

// Exchanges one declared field: numbers and bools as themselves, enumerations as unsigned
// 32-bit values (a value past the field's last is damage), angles as their radians.
template <class T>
void exchangeField(xcArchive& ar, T& v, const xc_ParamField<xcOCArrangeParams, T>& field) {
    if constexpr (std::is_enum_v<T>) {
        oc_detail::archiveEnum(ar, v, field.high);
    } else if constexpr (std::is_same_v<T, xcRadian>) {
        double radians = v.toDouble();
        ar || radians;
        v = xcRadian(radians);
    } else {
        ar || v;
    }
}

} // namespace

xcOCArrangeParams::xcOCArrangeParams() {
    xf_ResetParams<ArrangeTable>(*this);
}

// clang-format off
void xcOCArrangeParams::scaleRange(const xcRange& r) { xf_SetParam<ArrangeTable>(*this, ArrangeTable::scaleRange, r); }
void xcOCArrangeParams::minMatchScore(double v) { xf_SetParam<ArrangeTable>(*this, ArrangeTable::minMatchScore, v); }
void xcOCArrangeParams::maxLines(long v) { xf_SetParam<ArrangeTable>(*this, ArrangeTable::maxLines, v); }
void xcOCArrangeParams::lineType(xcOCArrangeDefs::LineType v) { xf_SetParam<ArrangeTable>(*this, ArrangeTable::lineType, v); }
void xcOCArrangeParams::isTextDirectionSpecified(bool v) { xf_SetParam<ArrangeTable>(*this, ArrangeTable::isTextDirectionSpecified, v); }
void xcOCArrangeParams::straightTextDirection(const xcRadian& v) { xf_SetParam<ArrangeTable>(*this, ArrangeTable::straightTextDirection, v); }
void xcOCArrangeParams::isCircularTextDirectionClockwise(bool v) { xf_SetParam<ArrangeTable>(*this, ArrangeTable::isCircularTextDirectionClockwise, v); }
void xcOCArrangeParams::maxUnmatchedChars(long v) { xf_SetParam<ArrangeTable>(*this, ArrangeTable::maxUnmatchedChars, v); }
void xcOCArrangeParams::orientationMode(xcOCArrangeDefs::OrientationMode v) { xf_SetParam<ArrangeTable>(*this, ArrangeTable::orientationMode, v); }
void xcOCArrangeParams::orientationReference(xcOCArrangeDefs::OrientationReference v) { xf_SetParam<ArrangeTable>(*this, ArrangeTable::orientationReference, v); }
void xcOCArrangeParams::expectedOrientation(const xcRadian& v) { xf_SetParam<ArrangeTable>(*this, ArrangeTable::expectedOrientation, v); }
void xcOCArrangeParams::lineBreakCost(double v) { xf_SetParam<ArrangeTable>(*this, ArrangeTable::lineBreakCost, v); }
void xcOCArrangeParams::unmatchedCharCost(double v) { xf_SetParam<ArrangeTable>(*this, ArrangeTable::unmatchedCharCost, v); }
void xcOCArrangeParams::normalTransCost(double v) { xf_SetParam<ArrangeTable>(*this, ArrangeTable::normalTransCost, v); }
void xcOCArrangeParams::tangentialTransCost(double v) { xf_SetParam<ArrangeTable>(*this, ArrangeTable::tangentialTransCost, v); }
void xcOCArrangeParams::orientationCost(double v) { xf_SetParam<ArrangeTable>(*this, ArrangeTable::orientationCost, v); }
void xcOCArrangeParams::scaleCost(double v) { xf_SetParam<ArrangeTable>(*this, ArrangeTable::scaleCost, v); }
void xcOCArrangeParams::compPoseUncertainties(bool v) { xf_SetParam<ArrangeTable>(*this, ArrangeTable::compPoseUncertainties, v); }
void xcOCArrangeParams::maxCandidates(long v) { xf_SetParam<ArrangeTable>(*this, ArrangeTable::maxCandidates, v); }
void xcOCArrangeParams::timeout(double v) { xf_SetParam<ArrangeTable>(*this, ArrangeTable::timeout, v); }
// clang-format on

bool xcOCArrangeParams::operator==(const xcOCArrangeParams& o) const {
    return xf_ParamsEqual<ArrangeTable>(*this, o);
}

xcArchive& operator||(xcArchive& ar, xcOCArrangeParams& p) {
    xfExchangeVersion(ar, "xcOCArrangeParams");
    // Loading fills a copy, without the setters' checks, and commits it only when every field
    // was read.
    xcOCArrangeParams loaded;
    xcOCArrangeParams& q = ar.isStoring() ? p : loaded;
    std::apply([&](const auto&... f) { (exchangeField(ar, q.*f.member, f), ...); },
               ArrangeTable::fields());
    if (ar.isLoading()) p = loaded;
    return ar;
}
