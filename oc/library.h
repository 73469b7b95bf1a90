// Identity of the OC library as loaded.
#pragma once

#include "foundation/export.h"

// The library's version as "major.minor".
OC_API const char* xfOCLibraryVersion();
