#include "occore/xoc_rect.h"
#include "occore/xoc_failure.h"

#include <cmath>
#include <cstdint>

namespace {

// Scaling by a power of two is exact as long as the result stays a normal double, so both
// directions of the conversion are free of rounding except for the final round to an integer.
bool toFixed(double value, int32_t fractionBits, int64_t& out) {
    const double scaled = std::ldexp(value, fractionBits);
    if (!std::isfinite(scaled)) return false;
    // Half away from zero; the comparison runs on the double so that huge values never reach
    // the integer conversion.
    const double rounded = std::round(scaled);
    if (rounded < -2147483648.0 || rounded > 2147483647.0) return false;
    out = static_cast<int64_t>(rounded);
    return true;
}

bool fitsInt32(int64_t v) {
    return v >= INT32_MIN && v <= INT32_MAX;
}

} // namespace

int32_t xoc_rectDInitFromRect32Fixed_(xoc_rectD* rect, const xoc_rect32* fixed,
                                      int32_t fractionBits) noexcept {
    if (rect == nullptr || fixed == nullptr) return XOC_FAIL_NULL_ARGUMENT;
    const xoc_rectD r = {std::ldexp(static_cast<double>(fixed->x), -fractionBits),
                         std::ldexp(static_cast<double>(fixed->y), -fractionBits),
                         std::ldexp(static_cast<double>(fixed->width), -fractionBits),
                         std::ldexp(static_cast<double>(fixed->height), -fractionBits)};
    if (!std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.width) ||
        !std::isfinite(r.height))
        return XOC_FAIL_FIXED_POINT_OVERFLOW;
    *rect = r;
    return XOC_OK;
}

int32_t xoc_rect32FixedInitFromRectD_(xoc_rect32* fixed, const xoc_rectD* rect,
                                      int32_t fractionBits) noexcept {
    if (rect == nullptr || fixed == nullptr) return XOC_FAIL_NULL_ARGUMENT;
    int64_t x = 0, y = 0, w = 0, h = 0;
    if (!toFixed(rect->x, fractionBits, x) || !toFixed(rect->y, fractionBits, y) ||
        !toFixed(rect->width, fractionBits, w) || !toFixed(rect->height, fractionBits, h))
        return XOC_FAIL_FIXED_POINT_OVERFLOW;
    // The far edges must be representable too, or a reader adding size to corner overflows.
    if (!fitsInt32(x + w) || !fitsInt32(y + h)) return XOC_FAIL_INTEGER_OVERFLOW;
    *fixed = xoc_rect32{static_cast<int32_t>(x), static_cast<int32_t>(y), static_cast<int32_t>(w),
                        static_cast<int32_t>(h)};
    return XOC_OK;
}
