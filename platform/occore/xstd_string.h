/* The standard support library's string copies: zero-terminated 8-bit and 32-bit texts on the
 * C heap. */
#ifndef XSTD_STRING_H
#define XSTD_STRING_H

#include "occore/export.h"

#include <stddef.h>
#include <stdint.h>

XOC_EXTERN_C_BEGIN

/* *target = a newly allocated copy of the zero-terminated text `source` (NULL when source is
 * NULL). What *target held before must be NULL or a text from these functions; it is released.
 * On failure *target is left as it was. */
XOCCORE_API int32_t xstd_string_clone32(const uint32_t* source, uint32_t** target) XOC_NOEXCEPT;
XOCCORE_API int32_t xstd_string_cloneA(const char* source, char** target) XOC_NOEXCEPT;

/* Releases a text made by the clone functions; NULL is allowed. */
XOCCORE_API void xstd_string_free(void* text) XOC_NOEXCEPT;

/* Number of codes before the terminating 0 (0 for NULL). */
XOCCORE_API size_t xstd_string_length32(const uint32_t* text) XOC_NOEXCEPT;

XOC_EXTERN_C_END

#endif
