/* The system support library's clean-up scopes: destructors registered under a tag run when the
 * scope is executed, newest first.
 * Scopes belong to the calling thread and nest: a scope opened later is executed with, and
 * before, an earlier one whose tag is executed. A scope holds at most XSYS_CLEANUP_MAX
 * registrations. Tags are positive and unique per thread until 2^31 scopes have been opened. */
#ifndef XSYS_CLEANUP_H
#define XSYS_CLEANUP_H

#include "occore/export.h"

#include <stdint.h>

XOC_EXTERN_C_BEGIN

#define XSYS_CLEANUP_MAX 2
#define XSYS_CLEANUP_MAX_DEPTH 256

/* A destructor in the form the scopes store; the xsys_typeCheckFunc_ functions give it. */
typedef int32_t (*xsys_cleanupFunc)(void* object);

/* Opens a scope on this thread and returns its tag (> 0), or XOC_FAIL_CLEANUP when
 * XSYS_CLEANUP_MAX_DEPTH scopes are open. */
XOCCORE_API int32_t xsys_cleanup_getNextTag(void) XOC_NOEXCEPT;

/* Registers destructor(object) in the open scope `tag`. Fails with XOC_FAIL_NULL_ARGUMENT for a
 * null destructor and XOC_FAIL_CLEANUP when the scope is not open or already full; the object
 * is then not registered and stays the caller's to release. */
XOCCORE_API int32_t xsys_cleanupRegister_(int32_t tag, xsys_cleanupFunc destructor,
                                          void* object) XOC_NOEXCEPT;

/* Runs the destructors of scope `tag` and of every scope opened after it, newest first, and
 * closes those scopes. Returns the first failure a destructor reported (all still run), or
 * XOC_FAIL_CLEANUP when `tag` is not an open scope of this thread (nothing runs then). */
XOCCORE_API int32_t xsys_cleanupExecute_(int32_t tag) XOC_NOEXCEPT;

/* 1 when `tag` is an open scope of this thread. */
XOCCORE_API int32_t xsys_cleanup_isOpen(int32_t tag) XOC_NOEXCEPT;

XOC_EXTERN_C_END

#endif
