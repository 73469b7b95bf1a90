// Export macro of the correlation search tool library: marks the classes and functions it shares
// with its users.
#pragma once

#if defined(_WIN32)
#if defined(BUILDING_XCORRSEARCH)
#define XCORRSEARCH_API __declspec(dllexport)
#else
#define XCORRSEARCH_API __declspec(dllimport)
#endif
#else
#define XCORRSEARCH_API __attribute__((visibility("default")))
#endif
