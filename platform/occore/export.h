/* Export macro of the character core library, and the C/C++ glue its C headers share. */
#ifndef XOCCORE_EXPORT_H
#define XOCCORE_EXPORT_H

#if defined(_WIN32)
#if defined(BUILDING_XOCCORE)
#define XOCCORE_API __declspec(dllexport)
#else
#define XOCCORE_API __declspec(dllimport)
#endif
#else
#define XOCCORE_API __attribute__((visibility("default")))
#endif

/* The C functions never let a C++ exception out: every failure is a negative return code. */
#ifdef __cplusplus
#define XOC_EXTERN_C_BEGIN extern "C" {
#define XOC_EXTERN_C_END }
#define XOC_NOEXCEPT noexcept
#define XOC_STATIC_ASSERT(cond, text) static_assert(cond, text)
#else
#define XOC_EXTERN_C_BEGIN
#define XOC_EXTERN_C_END
#define XOC_NOEXCEPT
#define XOC_STATIC_ASSERT(cond, text) _Static_assert(cond, text)
#endif

#endif
