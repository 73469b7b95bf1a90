#include "occore/xsys_cleanup.h"
#include "occore/xoc_failure.h"

#include <array>
#include <cstddef>

namespace {

struct Registration {
    xsys_cleanupFunc destructor = nullptr;
    void* object = nullptr;
};

struct Scope {
    int32_t tag = 0;
    int count = 0;
    std::array<Registration, XSYS_CLEANUP_MAX> registrations{};
};

// Scopes are per thread, so no locking; a fixed array keeps opening a scope free of allocation
// (and of allocation failure).
struct ScopeStack {
    std::array<Scope, XSYS_CLEANUP_MAX_DEPTH> scopes{};
    int depth = 0;
    int32_t lastTag = 0;

    int find(int32_t tag) const {
        for (int i = depth - 1; i >= 0; --i)
            if (scopes[static_cast<std::size_t>(i)].tag == tag) return i;
        return -1;
    }
};

thread_local ScopeStack tStack;

} // namespace

int32_t xsys_cleanup_getNextTag(void) noexcept {
    ScopeStack& s = tStack;
    if (s.depth >= XSYS_CLEANUP_MAX_DEPTH) return XOC_FAIL_CLEANUP;
    // Tags stay positive; after 2^31 scopes they wrap to 1, long after any of the old ones closed.
    s.lastTag = s.lastTag == INT32_MAX ? 1 : s.lastTag + 1;
    Scope& scope = s.scopes[static_cast<std::size_t>(s.depth++)];
    scope = Scope();
    scope.tag = s.lastTag;
    return scope.tag;
}

int32_t xsys_cleanupRegister_(int32_t tag, xsys_cleanupFunc destructor, void* object) noexcept {
    if (destructor == nullptr) return XOC_FAIL_NULL_ARGUMENT;
    ScopeStack& s = tStack;
    const int i = s.find(tag);
    if (i < 0) return XOC_FAIL_CLEANUP;
    Scope& scope = s.scopes[static_cast<std::size_t>(i)];
    if (scope.count >= XSYS_CLEANUP_MAX) return XOC_FAIL_CLEANUP;
    scope.registrations[static_cast<std::size_t>(scope.count++)] = Registration{destructor, object};
    return XOC_OK;
}

int32_t xsys_cleanupExecute_(int32_t tag) noexcept {
    ScopeStack& s = tStack;
    const int i = s.find(tag);
    if (i < 0) return XOC_FAIL_CLEANUP;
    int32_t result = XOC_OK;
    while (s.depth > i) {
        // Close the scope before running its destructors, so that a destructor that opens and
        // executes scopes of its own finds a consistent stack.
        const Scope scope = s.scopes[static_cast<std::size_t>(--s.depth)];
        for (int k = scope.count - 1; k >= 0; --k) {
            const Registration& r = scope.registrations[static_cast<std::size_t>(k)];
            const int32_t code = r.destructor(r.object);
            if (code < 0 && result == XOC_OK) result = code;
        }
    }
    return result;
}

int32_t xsys_cleanup_isOpen(int32_t tag) noexcept {
    return tStack.find(tag) >= 0 ? 1 : 0;
}
