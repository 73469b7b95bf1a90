/* The system support library's type checks for the objects and destructors a clean-up scope
 * takes: each accepts only its own type and returns the generic form the scope stores. */
#ifndef XSYS_TYPECHECK_H
#define XSYS_TYPECHECK_H

#include "occore/export.h"
#include "occore/ximg_image.h"
#include "occore/xoc_char.h"
#include "occore/xsys_cleanup.h"

XOC_EXTERN_C_BEGIN

/* The object itself, as the scope's generic pointer. */
XOCCORE_API void* xsys_typeCheck_xoc_char(xoc_char* object) XOC_NOEXCEPT;
XOCCORE_API void* xsys_typeCheck_ximg_imageConst(ximg_imageConst* object) XOC_NOEXCEPT;
/* The 8-bit image as its generic image record. */
XOCCORE_API ximg_imageConst* xsys_typeCheck_ximg_image8Const(ximg_image8Const* object) XOC_NOEXCEPT;

/* The scope's form of the destructor: non-null only for the library's own destructor of the
 * type (xoc_char_destruct, ximg_imageConst_destruct); registering null fails. */
XOCCORE_API
xsys_cleanupFunc xsys_typeCheckFunc_xoc_char(int32_t (*destructor)(xoc_char*)) XOC_NOEXCEPT;
XOCCORE_API xsys_cleanupFunc
    xsys_typeCheckFunc_ximg_imageConst(int32_t (*destructor)(ximg_imageConst*)) XOC_NOEXCEPT;

XOC_EXTERN_C_END

#endif
