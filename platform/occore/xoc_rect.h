/* Rectangles of the character core library and their fixed-point conversion.
 * Both give a rectangle by its upper-left corner and its size. A fixed-point integer n with
 * f fraction bits stands for the value n / 2^f. */
#ifndef XOC_RECT_H
#define XOC_RECT_H

#include "occore/export.h"

#include <stdint.h>

XOC_EXTERN_C_BEGIN

typedef struct xoc_rect32 {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
} xoc_rect32;

typedef struct xoc_rectD {
    double x;
    double y;
    double width;
    double height;
} xoc_rectD;

XOC_STATIC_ASSERT(sizeof(xoc_rect32) == 16, "xoc_rect32 is 16 bytes");
XOC_STATIC_ASSERT(sizeof(xoc_rectD) == 32, "xoc_rectD is 32 bytes");

/* *rect = the four fixed-point integers of *fixed, each divided by 2^fractionBits (exact).
 * A result that is not a finite double fails with XOC_FAIL_FIXED_POINT_OVERFLOW; *rect is
 * written only on success. */
XOCCORE_API int32_t xoc_rectDInitFromRect32Fixed_(xoc_rectD* rect, const xoc_rect32* fixed,
                                                  int32_t fractionBits) XOC_NOEXCEPT;

/* *fixed = each value of *rect times 2^fractionBits, rounded half away from zero. A value that
 * is not finite or falls outside int32 fails with XOC_FAIL_FIXED_POINT_OVERFLOW; x + width or
 * y + height outside int32 fails with XOC_FAIL_INTEGER_OVERFLOW. With 16 fraction bits the
 * values therefore lie in [-32768, 32768). *fixed is written only on success. */
XOCCORE_API int32_t xoc_rect32FixedInitFromRectD_(xoc_rect32* fixed, const xoc_rectD* rect,
                                                  int32_t fractionBits) XOC_NOEXCEPT;

XOC_EXTERN_C_END

#endif
