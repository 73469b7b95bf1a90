#include "occore/xc_cleanup.h"

xc_CleanupObject::~xc_CleanupObject() {
    // A destructor's failure cannot be reported from here; the scope is closed either way.
    if (xsys_cleanup_isOpen(tag_)) (void)xsys_cleanupExecute_(tag_);
}
