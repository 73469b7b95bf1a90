/* The character core library's flat character record and the computations it does on it.
 * Byte layout on a 64-bit little-endian platform (offsets from the record's start):
 *   0 key (16), 16 polarity (4), 20 unused (4), 24 image (40), 64 mask (40),
 *   104 normalizedImage (40), 144 binarizedImageCached (4), 148 unused (4),
 *   152 binarizedImage (40), 192 hasThresholdAndInvert (4), 196 threshold (4), 200 invert (4),
 *   204 imageArea (16), 220 unused (20), 240 metrics (176), 416 name32, 424 description32,
 *   432 name, 440 description (pointers, 8 each); 448 bytes in all.
 * The unused gaps are never read or written by the library's users. */
#ifndef XOC_CHAR_H
#define XOC_CHAR_H

#include "occore/export.h"
#include "occore/ximg_image.h"
#include "occore/xoc_polarity.h"
#include "occore/xoc_rect.h"

#include <stddef.h>
#include <stdint.h>

XOC_EXTERN_C_BEGIN

/* Names a character; -1 marks an unspecified instance, variant or font, 0xF800 an unknown
 * code. */
typedef struct xoc_charKey {
    uint32_t characterCode;
    int32_t instance;
    int32_t variant;
    int32_t fontID;
} xoc_charKey;

/* Bits of xoc_charMetrics.specifiedRects. */
#define XOC_CELL_RECT 1u
#define XOC_CELL_RECT_IMAGE 2u
#define XOC_MARK_RECT 4u
#define XOC_MARK_RECT_IMAGE 8u
#define XOC_DETECTED_MARK_RECT 16u
#define XOC_DETECTED_MARK_RECT_IMAGE 32u

/* Where the character lies: rectangles in image coordinates (fixed point with fractionBits
 * fraction bits) and in client coordinates (doubles), and the advance in client coordinates.
 * A rectangle counts only when its bit in specifiedRects is set. */
typedef struct xoc_charMetrics {
    uint32_t specifiedRects;
    int32_t advanceSpecified; /* 0 or 1 */
    xoc_rect32 cellRectImage;
    xoc_rect32 markRectImage;
    xoc_rect32 detectedMarkRectImage;
    int32_t fractionBits;
    int32_t unused60_;
    xoc_rectD cellRect;
    xoc_rectD markRect;
    xoc_rectD detectedMarkRect;
    double advanceX;
    double advanceY;
} xoc_charMetrics;

/* One character. Made by xoc_char_construct, released by xoc_char_destruct; the record owns its
 * four image references and its four texts (allocated by the xstd_string functions). */
typedef struct xoc_char {
    xoc_charKey key;
    xoc_charPolarity polarity;
    int32_t unused20_;
    ximg_image8Const image;
    ximg_image8Const mask;
    ximg_image8Const normalizedImage;
    int32_t binarizedImageCached; /* 0 or 1: binarizedImage holds the thresholded normalizedImage */
    int32_t unused148_;
    ximg_image8Const binarizedImage;
    int32_t hasThresholdAndInvert; /* 0 or 1 */
    int32_t threshold;
    int32_t invert; /* 0 or 1 */
    xoc_rect32 imageArea;
    unsigned char unused220_[20];
    xoc_charMetrics metrics;
    uint32_t* name32; /* zero-terminated 32-bit codes, or NULL */
    uint32_t* description32;
    char* name; /* zero-terminated 8-bit text, or NULL */
    char* description;
} xoc_char;

XOC_STATIC_ASSERT(sizeof(xoc_charKey) == 16, "xoc_charKey is 16 bytes");
XOC_STATIC_ASSERT(offsetof(xoc_charKey, characterCode) == 0, "key.characterCode at 0");
XOC_STATIC_ASSERT(offsetof(xoc_charKey, instance) == 4, "key.instance at 4");
XOC_STATIC_ASSERT(offsetof(xoc_charKey, variant) == 8, "key.variant at 8");
XOC_STATIC_ASSERT(offsetof(xoc_charKey, fontID) == 12, "key.fontID at 12");

XOC_STATIC_ASSERT(sizeof(xoc_charMetrics) == 176, "xoc_charMetrics is 176 bytes");
XOC_STATIC_ASSERT(offsetof(xoc_charMetrics, specifiedRects) == 0, "specifiedRects at 0");
XOC_STATIC_ASSERT(offsetof(xoc_charMetrics, advanceSpecified) == 4, "advanceSpecified at 4");
XOC_STATIC_ASSERT(offsetof(xoc_charMetrics, cellRectImage) == 8, "cellRectImage at 8");
XOC_STATIC_ASSERT(offsetof(xoc_charMetrics, markRectImage) == 24, "markRectImage at 24");
XOC_STATIC_ASSERT(offsetof(xoc_charMetrics, detectedMarkRectImage) == 40,
                  "detectedMarkRectImage at 40");
XOC_STATIC_ASSERT(offsetof(xoc_charMetrics, fractionBits) == 56, "fractionBits at 56");
XOC_STATIC_ASSERT(offsetof(xoc_charMetrics, cellRect) == 64, "cellRect at 64");
XOC_STATIC_ASSERT(offsetof(xoc_charMetrics, markRect) == 96, "markRect at 96");
XOC_STATIC_ASSERT(offsetof(xoc_charMetrics, detectedMarkRect) == 128, "detectedMarkRect at 128");
XOC_STATIC_ASSERT(offsetof(xoc_charMetrics, advanceX) == 160, "advance x at 160");
XOC_STATIC_ASSERT(offsetof(xoc_charMetrics, advanceY) == 168, "advance y at 168");

XOC_STATIC_ASSERT(sizeof(xoc_charPolarity) == 4, "xoc_charPolarity is 4 bytes");
XOC_STATIC_ASSERT(sizeof(xoc_char) == 448, "xoc_char is 448 bytes");
XOC_STATIC_ASSERT(offsetof(xoc_char, key) == 0, "key at 0");
XOC_STATIC_ASSERT(offsetof(xoc_char, polarity) == 16, "polarity at 16");
XOC_STATIC_ASSERT(offsetof(xoc_char, image) == 24, "image at 24");
XOC_STATIC_ASSERT(offsetof(xoc_char, mask) == 64, "mask at 64");
XOC_STATIC_ASSERT(offsetof(xoc_char, normalizedImage) == 104, "normalizedImage at 104");
XOC_STATIC_ASSERT(offsetof(xoc_char, binarizedImageCached) == 144, "binarizedImageCached at 144");
XOC_STATIC_ASSERT(offsetof(xoc_char, binarizedImage) == 152, "binarizedImage at 152");
XOC_STATIC_ASSERT(offsetof(xoc_char, hasThresholdAndInvert) == 192, "hasThresholdAndInvert at 192");
XOC_STATIC_ASSERT(offsetof(xoc_char, threshold) == 196, "threshold at 196");
XOC_STATIC_ASSERT(offsetof(xoc_char, invert) == 200, "invert at 200");
XOC_STATIC_ASSERT(offsetof(xoc_char, imageArea) == 204, "imageArea at 204");
XOC_STATIC_ASSERT(offsetof(xoc_char, metrics) == 240, "metrics at 240");
XOC_STATIC_ASSERT(offsetof(xoc_char, name32) == 416, "name32 at 416");
XOC_STATIC_ASSERT(offsetof(xoc_char, description32) == 424, "description32 at 424");
XOC_STATIC_ASSERT(offsetof(xoc_char, name) == 432, "name at 432");
XOC_STATIC_ASSERT(offsetof(xoc_char, description) == 440, "description at 440");

/* Makes *rec an empty record, the record of a new character: default key (0xF800, -1, -1, -1),
 * polarity 4, four unbound images, no threshold and invert (threshold 128), null image area,
 * metrics of a blank character (mark and detected mark rectangles, client and image, specified
 * as empty rectangles; 16 fraction bits), null texts. Earlier contents are overwritten, not
 * released. */
XOCCORE_API int32_t xoc_char_construct(xoc_char* rec) XOC_NOEXCEPT;

/* Releases the record's texts and image references and leaves an empty record (as
 * xoc_char_construct makes it); destructing twice is harmless. */
XOCCORE_API int32_t xoc_char_destruct(xoc_char* rec) XOC_NOEXCEPT;

/* Sets the normalized image to a private copy of `source` and the threshold and invert:
 * - threshold outside 0 .. 256 fails with XOC_FAIL_BAD_THRESHOLD;
 * - an unbound source is stored as it is; a bound one is copied with the root copy rule: with a
 *   non-null rootCopyRect (width and height > 0) that must contain the source's window (else
 *   XOC_FAIL_BAD_RECT), the part of the source's root inside rootCopyRect is copied and the copy
 *   shows the source's window; with a null one exactly the window is copied;
 * - the binarized image is rebuilt from the new image (grey < threshold -> 0, else 255; swapped
 *   with invert) when hasThresholdAndInvert is set and the image is bound, and dropped
 *   otherwise; the detected mark rectangle (client coordinates) is dropped.
 * On failure the record is unchanged. */
XOCCORE_API int32_t xoc_char_setNormalizedImageThresholdAndInvert8(
    xoc_char* rec, const ximg_image8Const* source, int32_t hasThresholdAndInvert, int32_t threshold,
    int32_t invert, const xoc_rect32* rootCopyRect) XOC_NOEXCEPT;

/* *result = the binarized image windowed to the mark rectangle, which is the first specified of
 * the mark image rectangle, the detected mark image rectangle, the mark rectangle and the
 * detected mark rectangle (client rectangles through the normalized image's image-from-client
 * transform, which must be linear), enclosed in whole pels and intersected with the image's
 * window. Fails with XOC_FAIL_NO_THRESHOLD_AND_INVERT when threshold and invert are not set, then
 * with XOC_FAIL_RECT_NOT_SPECIFIED when no mark rectangle is. The cached binarized image is used
 * when valid, else it is computed from the normalized image (threshold above 256 fails with
 * XOC_FAIL_BAD_THRESHOLD). An unbound normalized image gives an unbound result. *result must be a
 * constructed image record; the record itself is not changed. */
XOCCORE_API int32_t xoc_char_getBinarizedImageMarkRect8(const xoc_char* rec,
                                                        ximg_image8Const* result) XOC_NOEXCEPT;

XOC_EXTERN_C_END

#endif
