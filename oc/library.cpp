#include "oc/library.h"

const char* xfOCLibraryVersion() { return "0.1"; }
