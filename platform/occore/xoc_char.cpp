#include "occore/xoc_char.h"
#include "occore/xoc_failure.h"
#include "occore/xstd_string.h"

#include <cstring>

int32_t xoc_char_construct(xoc_char* rec) noexcept {
    if (rec == nullptr) return XOC_FAIL_NULL_ARGUMENT;
    std::memset(rec, 0, sizeof *rec);
    rec->key = xoc_charKey{0xF800u, -1, -1, -1};
    rec->polarity = xoc_charPolarityUnknown;
    ximg_imageConst_constructUnbound(&rec->image.base);
    ximg_imageConst_constructUnbound(&rec->mask.base);
    ximg_imageConst_constructUnbound(&rec->normalizedImage.base);
    ximg_imageConst_constructUnbound(&rec->binarizedImage.base);
    rec->threshold = 128;
    // A new character is blank: its mark rectangles are specified and empty.
    rec->metrics.specifiedRects =
        XOC_MARK_RECT | XOC_MARK_RECT_IMAGE | XOC_DETECTED_MARK_RECT | XOC_DETECTED_MARK_RECT_IMAGE;
    rec->metrics.fractionBits = 16;
    return XOC_OK;
}

int32_t xoc_char_destruct(xoc_char* rec) noexcept {
    if (rec == nullptr) return XOC_FAIL_NULL_ARGUMENT;
    xstd_string_free(rec->name32);
    xstd_string_free(rec->description32);
    xstd_string_free(rec->name);
    xstd_string_free(rec->description);
    ximg_imageConst_destruct(&rec->image.base);
    ximg_imageConst_destruct(&rec->mask.base);
    ximg_imageConst_destruct(&rec->normalizedImage.base);
    ximg_imageConst_destruct(&rec->binarizedImage.base);
    return xoc_char_construct(rec);
}
