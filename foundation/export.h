// Export macro of the OC library (foundation and subsystems alike).
#pragma once

#if defined(_WIN32)
#if defined(BUILDING_OC)
#define OC_API __declspec(dllexport)
#else
#define OC_API __declspec(dllimport)
#endif
#else
#define OC_API __attribute__((visibility("default")))
#endif
