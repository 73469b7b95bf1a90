#include "occore/detail/image_record.h"
#include "occore/xoc_char.h"
#include "occore/xoc_failure.h"

#include "core/geom/affine_rect.h"
#include "core/geom/xform_base.h"
#include "core/image/pel_ops.h"

#include <array>
#include <cstdint>
#include <new>

namespace {

using xoc_detail::Image;

// Grey values below the threshold become the low value, the others the high one; (low, high) is
// (0, 255), or (255, 0) when inverted. 0 sends everything high, 256 everything low.
Image binarize(const Image& normalized, int32_t threshold, bool invert) {
    const unsigned char low = invert ? 255 : 0;
    const unsigned char high = invert ? 0 : 255;
    std::array<unsigned char, 256> table{};
    for (int g = 0; g < 256; ++g) table[static_cast<std::size_t>(g)] = g < threshold ? low : high;
    xcPelBuffer<unsigned char> out;
    xfPelMap(normalized, table.data(), out);
    return out;
}

bool inIntRange(double v) {
    return v >= -2147483648.0 && v <= 2147483647.0;
}

// The enclosing pel rectangle of r, or a failure code when a corner lies outside int32.
int32_t enclose(const xoc_rectD& r, xcPelRect& out) {
    if (!inIntRange(r.x) || !inIntRange(r.y) || !inIntRange(r.x + r.width) ||
        !inIntRange(r.y + r.height))
        return XOC_FAIL_INTEGER_OVERFLOW;
    out = xcRect(r.x, r.y, r.width, r.height).enclosePelRect();
    return XOC_OK;
}

// The mark rectangle in the image's pels: the first specified of the mark image rectangle, the
// detected mark image rectangle, the mark rectangle and the detected mark rectangle.
int32_t markPelRect(const xoc_charMetrics& m, const Image& image, xcPelRect& out) {
    if (m.specifiedRects & (XOC_MARK_RECT_IMAGE | XOC_DETECTED_MARK_RECT_IMAGE)) {
        const xoc_rect32& fixed =
            (m.specifiedRects & XOC_MARK_RECT_IMAGE) ? m.markRectImage : m.detectedMarkRectImage;
        xoc_rectD r{};
        const int32_t code = xoc_rectDInitFromRect32Fixed_(&r, &fixed, m.fractionBits);
        return code < 0 ? code : enclose(r, out);
    }
    const xoc_rectD& c = (m.specifiedRects & XOC_MARK_RECT) ? m.markRect : m.detectedMarkRect;
    const xcXformHandle& imageFromClient = image.imageFromClientXform();
    if (!imageFromClient->isLinear()) return XOC_FAIL_NOT_LINEAR;
    const xcRect client(c.x, c.y, c.width, c.height);
    const xcRect box = xcAffineRectangle(client.ul(), client.ur(), client.ll())
                           .map(imageFromClient->xform())
                           .boundingBox();
    return enclose(xoc_rectD{box.x(), box.y(), box.width(), box.height()}, out);
}

// Root copy: exactly the window for a null rect, else the part of the root inside the rect,
// showing the source's window.
int32_t rootCopy(const Image& src, const xcPelRect& rootCopyRect, Image& out) {
    if (!src.isBound()) {
        out = src;
        return XOC_OK;
    }
    if (!rootCopyRect.isNull() && !rootCopyRect.contains(src.window())) return XOC_FAIL_BAD_RECT;
    const xcPelRect w = src.window();
    Image region(src);
    if (!rootCopyRect.isNull()) {
        region.setEntire();
        region.window(rootCopyRect.intersect(region.window()), false);
    }
    xcPelBuffer<unsigned char> copy;
    xfPelCopy(region, copy);
    copy.window(w, false);
    out = copy;
    return XOC_OK;
}

int32_t failureOf(const std::exception& e) {
    return dynamic_cast<const std::bad_alloc*>(&e) != nullptr ? XOC_FAIL_OUT_OF_MEMORY
                                                              : XOC_FAIL_BAD_IMAGE;
}

} // namespace

int32_t xoc_char_setNormalizedImageThresholdAndInvert8(xoc_char* rec,
                                                       const ximg_image8Const* source,
                                                       int32_t hasThresholdAndInvert,
                                                       int32_t threshold, int32_t invert,
                                                       const xoc_rect32* rootCopyRect) noexcept {
    if (rec == nullptr || source == nullptr) return XOC_FAIL_NULL_ARGUMENT;
    if (threshold < 0 || threshold > 256) return XOC_FAIL_BAD_THRESHOLD;
    ximg_image8Const normalized, binarized;
    ximg_imageConst_constructUnbound(&normalized.base);
    ximg_imageConst_constructUnbound(&binarized.base);
    try {
        const xcPelRect copyRect = rootCopyRect != nullptr
                                       ? xcPelRect(rootCopyRect->x, rootCopyRect->y,
                                                   rootCopyRect->width, rootCopyRect->height)
                                       : xcPelRect();
        Image copy;
        int32_t code = rootCopy(xoc_detail::imageOf(source->base), copyRect, copy);
        const bool cached = hasThresholdAndInvert != 0 && copy.isBound();
        if (code >= 0) code = xoc_detail::bindImage(&normalized.base, copy);
        if (code >= 0 && cached)
            code = xoc_detail::bindImage(&binarized.base, binarize(copy, threshold, invert != 0));
        if (code < 0) {
            ximg_imageConst_destruct(&normalized.base);
            ximg_imageConst_destruct(&binarized.base);
            return code;
        }
        // Everything that can fail is done; the record takes the new images over.
        ximg_imageConst_destruct(&rec->normalizedImage.base);
        ximg_imageConst_destruct(&rec->binarizedImage.base);
        rec->normalizedImage = normalized;
        rec->binarizedImage = binarized;
        rec->binarizedImageCached = cached ? 1 : 0;
        rec->hasThresholdAndInvert = hasThresholdAndInvert != 0 ? 1 : 0;
        rec->threshold = threshold;
        rec->invert = invert != 0 ? 1 : 0;
        // A new normalized image invalidates a detected mark, as it does for the character.
        rec->metrics.specifiedRects &= ~XOC_DETECTED_MARK_RECT;
        rec->metrics.detectedMarkRect = xoc_rectD{0.0, 0.0, 0.0, 0.0};
        return XOC_OK;
    } catch (const std::exception& e) {
        ximg_imageConst_destruct(&normalized.base);
        ximg_imageConst_destruct(&binarized.base);
        return failureOf(e);
    } catch (...) {
        ximg_imageConst_destruct(&normalized.base);
        ximg_imageConst_destruct(&binarized.base);
        return XOC_FAIL_BAD_IMAGE;
    }
}

int32_t xoc_char_getBinarizedImageMarkRect8(const xoc_char* rec,
                                            ximg_image8Const* result) noexcept {
    if (rec == nullptr || result == nullptr) return XOC_FAIL_NULL_ARGUMENT;
    if (rec->hasThresholdAndInvert == 0) return XOC_FAIL_NO_THRESHOLD_AND_INVERT;
    const xoc_charMetrics& m = rec->metrics;
    if ((m.specifiedRects & (XOC_MARK_RECT_IMAGE | XOC_DETECTED_MARK_RECT_IMAGE | XOC_MARK_RECT |
                             XOC_DETECTED_MARK_RECT)) == 0)
        return XOC_FAIL_RECT_NOT_SPECIFIED;
    try {
        Image binarized;
        if (rec->binarizedImageCached != 0) {
            binarized = xoc_detail::imageOf(rec->binarizedImage.base);
        } else {
            binarized = xoc_detail::imageOf(rec->normalizedImage.base);
            if (binarized.isBound()) {
                if (rec->threshold < 0 || rec->threshold > 256) return XOC_FAIL_BAD_THRESHOLD;
                binarized = binarize(binarized, rec->threshold, rec->invert != 0);
            }
        }
        if (binarized.isBound()) {
            xcPelRect mark;
            const int32_t code = markPelRect(m, binarized, mark);
            if (code < 0) return code;
            // Clipped: the mark's part inside the window, or a zero-size window at the nearest
            // edge when the mark lies outside.
            binarized.window(mark, true);
        }
        return xoc_detail::bindImage(&result->base, binarized);
    } catch (const std::exception& e) {
        return failureOf(e);
    } catch (...) {
        return XOC_FAIL_BAD_IMAGE;
    }
}
