// Export macro of the image-processing library: marks what it shares with its users.
#pragma once

#if defined(_WIN32)
#if defined(BUILDING_XIMGPROC)
#define XIMGPROC_API __declspec(dllexport)
#else
#define XIMGPROC_API __declspec(dllimport)
#endif
#else
#define XIMGPROC_API __attribute__((visibility("default")))
#endif
