// Export macro of the sub-model tool library: marks the classes and functions it shares with its
// users.
#pragma once

#if defined(_WIN32)
#if defined(BUILDING_XSUBMODEL)
#define XSUBMODEL_API __declspec(dllexport)
#else
#define XSUBMODEL_API __declspec(dllimport)
#endif
#else
#define XSUBMODEL_API __attribute__((visibility("default")))
#endif
