// C++ side of the image records: wrapping a pel buffer as a record and reading a record back.
#pragma once

#include "core/image/pel_buffer.h"
#include "occore/export.h"
#include "occore/ximg_image.h"

// Owns an ximg_image8Const record that refers to the wrapped buffer's pixels, window and
// transforms, for handing a buffer to the C functions. The record lives as long as the wrapper;
// a record assigned from it (ximg_imageConst_assign) holds a reference of its own.
class XOCCORE_API xc_Image {
public:
    // Throws std::bad_alloc, or xcFailureCode (XOC_FAIL_BAD_IMAGE) for a window whose
    // coordinates do not fit in 32 bits.
    explicit xc_Image(const xcPelBuffer_const<unsigned char>& image);
    ~xc_Image();
    xc_Image(const xc_Image&) = delete;
    xc_Image& operator=(const xc_Image&) = delete;

    const ximg_image8Const* image8() const { return &record_; }
    const ximg_imageConst* imageConst() const { return &record_.base; }

private:
    ximg_image8Const record_;
};

// The record's image as a pel buffer handle that shares the record's pixels (and has its
// window and transforms); an unbound buffer for an unbound record.
XOCCORE_API xcPelBuffer_const<unsigned char> xfConvertImage(const ximg_image8Const& image);
