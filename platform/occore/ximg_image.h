/* The image library's read-only image records: a counted reference to a window of pels. */
#ifndef XIMG_IMAGE_H
#define XIMG_IMAGE_H

#include "occore/export.h"

#include <stddef.h>
#include <stdint.h>

XOC_EXTERN_C_BEGIN

/* A read-only image, 40 bytes. `ref_` is the counted reference that keeps the pels alive (null
 * for a record made by ximg_imageConst_constructUnbound); the other fields describe the window
 * for readers and are set by the library only. The pel at window column i, row j is
 * pels[j * rowUpdate + i]. pels is NULL when the image is unbound (all fields 0 but depth) or its
 * window is empty. A record must be released with ximg_imageConst_destruct. */
typedef struct ximg_imageConst {
    void* ref_;                /* library-owned; never touch */
    const unsigned char* pels; /* first pel of the window, or NULL when unbound */
    int32_t x;                 /* window's upper-left corner in image coordinates */
    int32_t y;
    int32_t width; /* window size in pels */
    int32_t height;
    int32_t rowUpdate; /* bytes from one row to the next (>= width) */
    int32_t depth;     /* bits per pel: 8 */
} ximg_imageConst;

/* An 8-bit read-only image: the generic record with depth 8. */
typedef struct ximg_image8Const {
    ximg_imageConst base;
} ximg_image8Const;

XOC_STATIC_ASSERT(sizeof(ximg_imageConst) == 40, "ximg_imageConst is 40 bytes");
XOC_STATIC_ASSERT(sizeof(ximg_image8Const) == 40, "ximg_image8Const is 40 bytes");

/* Makes *image an unbound image that owns nothing. Any earlier contents are overwritten, not
 * released. */
XOCCORE_API int32_t ximg_imageConst_constructUnbound(ximg_imageConst* image) XOC_NOEXCEPT;
/* Releases the record's reference and leaves it unbound; destructing twice is harmless. */
XOCCORE_API int32_t ximg_imageConst_destruct(ximg_imageConst* image) XOC_NOEXCEPT;
/* Makes *dst a second reference to the pels, window and transforms of *src (the pels are shared,
 * not copied) and releases what *dst held before. dst == src is allowed. */
XOCCORE_API int32_t ximg_imageConst_assign(ximg_imageConst* dst,
                                           const ximg_imageConst* src) XOC_NOEXCEPT;
/* 1 when the image is bound (has a window, possibly empty), 0 when unbound or null. */
XOCCORE_API int32_t ximg_imageConst_isBound(const ximg_imageConst* image) XOC_NOEXCEPT;

XOC_EXTERN_C_END

#endif
