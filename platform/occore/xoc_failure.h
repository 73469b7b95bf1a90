/* Failure codes of the character core library and its support libraries (facility 159).
 * A code is a 32-bit value: 0 is success, a negative value a failure; the facility of a failure
 * is (code & 0xFFFF) >> 5. */
#ifndef XOC_FAILURE_H
#define XOC_FAILURE_H

#include <stdint.h>

#define XOC_OK ((int32_t)0)

/* Codes whose meaning callers translate into their own errors. */
#define XOC_FAIL_BAD_THRESHOLD ((int32_t)0x800013EC)           /* threshold outside 0 .. 256 */
#define XOC_FAIL_NO_THRESHOLD_AND_INVERT ((int32_t)0x800013ED) /* threshold and invert not set */
#define XOC_FAIL_RECT_NOT_SPECIFIED ((int32_t)0x800013EF)      /* no mark rectangle specified */
#define XOC_FAIL_FIXED_POINT_OVERFLOW ((int32_t)0x800013F0)    /* value outside the fixed range */
#define XOC_FAIL_INTEGER_OVERFLOW ((int32_t)0x800013F1)        /* x + w or y + h beyond int32 */

/* Codes for misuse of the interface; callers report them as a generic failure. */
#define XOC_FAIL_NULL_ARGUMENT ((int32_t)0x800013E0) /* a required pointer is null */
#define XOC_FAIL_OUT_OF_MEMORY ((int32_t)0x800013E1) /* an allocation failed */
#define XOC_FAIL_BAD_IMAGE ((int32_t)0x800013E2)     /* an image record that cannot be used */
#define XOC_FAIL_BAD_RECT ((int32_t)0x800013E3)      /* root copy rect misses the image window */
#define XOC_FAIL_NOT_LINEAR ((int32_t)0x800013E4)    /* image-from-client transform not linear */
#define XOC_FAIL_CLEANUP ((int32_t)0x800013E5)       /* clean-up scope unknown, full or too deep */

#endif
