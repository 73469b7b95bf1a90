// Export macro of the diagnostics recorder: marks the classes and functions it shares with its users.
#pragma once

#if defined(_WIN32)
#if defined(BUILDING_XDIAG)
#define XDIAG_API __declspec(dllexport)
#else
#define XDIAG_API __declspec(dllimport)
#endif
#else
#define XDIAG_API __attribute__((visibility("default")))
#endif
