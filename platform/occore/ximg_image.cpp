#include "occore/detail/image_record.h"
#include "occore/xc_image.h"
#include "occore/xoc_failure.h"

#include "core/base/failure.h"

#include <cstdint>
#include <new>

namespace xoc_detail {
namespace {

bool fitsInt32(long v) {
    return v >= INT32_MIN && v <= INT32_MAX;
}

const Image* refOf(const ximg_imageConst& record) {
    return static_cast<const Image*>(record.ref_);
}

} // namespace

int32_t bindImage(ximg_imageConst* record, const Image& buffer) noexcept {
    if (record == nullptr) return XOC_FAIL_NULL_ARGUMENT;
    ximg_imageConst view{};
    view.depth = 8;
    if (buffer.isBound()) {
        const xcPelRect w = buffer.window();
        if (!fitsInt32(w.x()) || !fitsInt32(w.y()) || !fitsInt32(w.width()) ||
            !fitsInt32(w.height()) || !fitsInt32(buffer.rowUpdate()))
            return XOC_FAIL_BAD_IMAGE;
        view.pels = w.isNull() ? nullptr : buffer.pointToPel(0, 0);
        view.x = static_cast<int32_t>(w.x());
        view.y = static_cast<int32_t>(w.y());
        view.width = static_cast<int32_t>(w.width());
        view.height = static_cast<int32_t>(w.height());
        view.rowUpdate = static_cast<int32_t>(buffer.rowUpdate());
    }
    // The handle copy is the counted reference: it shares the pixels and keeps window and
    // transforms, so an unbound buffer's transforms travel too.
    view.ref_ = new (std::nothrow) Image(buffer);
    if (view.ref_ == nullptr) return XOC_FAIL_OUT_OF_MEMORY;
    delete refOf(*record);
    *record = view;
    return XOC_OK;
}

Image imageOf(const ximg_imageConst& record) {
    const Image* ref = refOf(record);
    return ref != nullptr ? *ref : Image();
}

} // namespace xoc_detail

int32_t ximg_imageConst_constructUnbound(ximg_imageConst* image) noexcept {
    if (image == nullptr) return XOC_FAIL_NULL_ARGUMENT;
    *image = ximg_imageConst{};
    image->depth = 8;
    return XOC_OK;
}

int32_t ximg_imageConst_destruct(ximg_imageConst* image) noexcept {
    if (image == nullptr) return XOC_FAIL_NULL_ARGUMENT;
    delete static_cast<const xoc_detail::Image*>(image->ref_);
    return ximg_imageConst_constructUnbound(image);
}

int32_t ximg_imageConst_assign(ximg_imageConst* dst, const ximg_imageConst* src) noexcept {
    if (dst == nullptr || src == nullptr) return XOC_FAIL_NULL_ARGUMENT;
    if (dst == src) return XOC_OK;
    if (src->ref_ == nullptr) return ximg_imageConst_destruct(dst);
    return xoc_detail::bindImage(dst, xoc_detail::imageOf(*src));
}

int32_t ximg_imageConst_isBound(const ximg_imageConst* image) noexcept {
    return image != nullptr && image->ref_ != nullptr && xoc_detail::imageOf(*image).isBound() ? 1
                                                                                               : 0;
}

xc_Image::xc_Image(const xcPelBuffer_const<unsigned char>& image) {
    ximg_imageConst_constructUnbound(&record_.base);
    const int32_t code = xoc_detail::bindImage(&record_.base, image);
    if (code == XOC_FAIL_OUT_OF_MEMORY) throw std::bad_alloc();
    xfThrowExceptionOnFailure(code);
}

xc_Image::~xc_Image() {
    ximg_imageConst_destruct(&record_.base);
}

xcPelBuffer_const<unsigned char> xfConvertImage(const ximg_image8Const& image) {
    return xoc_detail::imageOf(image.base);
}
