// Export macro of the core library: marks the classes and functions it shares with its users.
#pragma once

#if defined(_WIN32)
#if defined(BUILDING_XCORE)
#define XCORE_API __declspec(dllexport)
#else
#define XCORE_API __declspec(dllimport)
#endif
#else
#define XCORE_API __attribute__((visibility("default")))
#endif
