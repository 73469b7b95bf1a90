#include "occore/xstd_string.h"
#include "occore/xoc_failure.h"

#include <cstdlib>
#include <cstring>

namespace {

// Copies `length` units and a terminator into a fresh malloc block, so that C code can release
// the text with free() as well as with xstd_string_free.
template <class T>
int32_t cloneText(const T* source, size_t length, T** target) {
    if (target == nullptr) return XOC_FAIL_NULL_ARGUMENT;
    T* copy = nullptr;
    if (source != nullptr) {
        if (length >= SIZE_MAX / sizeof(T)) return XOC_FAIL_OUT_OF_MEMORY;
        copy = static_cast<T*>(std::malloc((length + 1) * sizeof(T)));
        if (copy == nullptr) return XOC_FAIL_OUT_OF_MEMORY;
        if (length > 0) std::memcpy(copy, source, length * sizeof(T));
        copy[length] = T(0);
    }
    std::free(*target);
    *target = copy;
    return XOC_OK;
}

} // namespace

size_t xstd_string_length32(const uint32_t* text) noexcept {
    size_t n = 0;
    if (text != nullptr)
        while (text[n] != 0) ++n;
    return n;
}

int32_t xstd_string_clone32(const uint32_t* source, uint32_t** target) noexcept {
    return cloneText(source, xstd_string_length32(source), target);
}

int32_t xstd_string_cloneA(const char* source, char** target) noexcept {
    return cloneText(source, source != nullptr ? std::strlen(source) : 0, target);
}

void xstd_string_free(void* text) noexcept {
    std::free(text);
}
