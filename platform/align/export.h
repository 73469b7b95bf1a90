// Export macro of the pattern-alignment tool: marks the classes and functions it shares with its
// users.
#pragma once

#if defined(_WIN32)
#if defined(BUILDING_XALIGN)
#define XALIGN_API __declspec(dllexport)
#else
#define XALIGN_API __declspec(dllimport)
#endif
#else
#define XALIGN_API __attribute__((visibility("default")))
#endif
