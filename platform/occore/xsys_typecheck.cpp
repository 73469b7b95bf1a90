#include "occore/xsys_typecheck.h"

namespace {

// The scope calls every destructor through one generic type; calling a function through a
// pointer of another type is undefined, so each type gets a trampoline of the generic type.
int32_t destructChar(void* object) {
    return xoc_char_destruct(static_cast<xoc_char*>(object));
}
int32_t destructImage(void* object) {
    return ximg_imageConst_destruct(static_cast<ximg_imageConst*>(object));
}

} // namespace

void* xsys_typeCheck_xoc_char(xoc_char* object) noexcept {
    return object;
}

void* xsys_typeCheck_ximg_imageConst(ximg_imageConst* object) noexcept {
    return object;
}

ximg_imageConst* xsys_typeCheck_ximg_image8Const(ximg_image8Const* object) noexcept {
    return object != nullptr ? &object->base : nullptr;
}

xsys_cleanupFunc xsys_typeCheckFunc_xoc_char(int32_t (*destructor)(xoc_char*)) noexcept {
    return destructor == &xoc_char_destruct ? &destructChar : nullptr;
}

xsys_cleanupFunc
xsys_typeCheckFunc_ximg_imageConst(int32_t (*destructor)(ximg_imageConst*)) noexcept {
    return destructor == &ximg_imageConst_destruct ? &destructImage : nullptr;
}
