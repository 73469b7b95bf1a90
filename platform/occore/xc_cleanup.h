// C++ guard of a clean-up scope of the system support library.
#pragma once

#include "occore/export.h"
#include "occore/xsys_cleanup.h"

#include <cstdint>

// Guards the scope of a tag from xsys_cleanup_getNextTag: when the guard goes out of scope (by
// return or by exception) and the scope is still open, it is executed, so the registered
// destructors run on every exit path. A scope closed earlier with xsys_cleanupExecute_ is left
// alone.
class XOCCORE_API xc_CleanupObject {
public:
    explicit xc_CleanupObject(int32_t tag) noexcept : tag_(tag) {}
    ~xc_CleanupObject();
    xc_CleanupObject(const xc_CleanupObject&) = delete;
    xc_CleanupObject& operator=(const xc_CleanupObject&) = delete;

    int32_t tag() const { return tag_; }

private:
    int32_t tag_;
};
