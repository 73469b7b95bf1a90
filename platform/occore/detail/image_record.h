// Inside the character core library: binding image records to pel buffers.
#pragma once

#include "core/image/pel_buffer.h"
#include "occore/ximg_image.h"

#include <cstdint>

namespace xoc_detail {

using Image = xcPelBuffer_const<unsigned char>;

// Makes *record a counted reference to `buffer` (a heap-held handle, so the pixels live as long
// as the record) and releases what it held. On failure (XOC_FAIL_OUT_OF_MEMORY, or
// XOC_FAIL_BAD_IMAGE for a window beyond 32-bit coordinates) *record is unchanged.
int32_t bindImage(ximg_imageConst* record, const Image& buffer) noexcept;

// The buffer a record refers to; an unbound buffer for a record without a reference.
Image imageOf(const ximg_imageConst& record);

} // namespace xoc_detail
