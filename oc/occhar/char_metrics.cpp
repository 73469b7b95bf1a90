#include "oc/occhar/char_metrics.h"

#include "core/base/failure.h"
#include "core/geom/affine_rect.h"
#include "core/image/pel_buffer.h"
#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"
#include "foundation/oc_defs.h"
#include "occore/xoc_rect.h"

#include <cassert>

namespace {

constexpr uint32_t kAllRectBits = 1 | 2 | 4 | 8 | 16 | 32;
constexpr uint32_t kBlankRectBits = xcOCCharMetrics::eMarkRect | xcOCCharMetrics::eMarkRectImage |
                                    xcOCCharMetrics::eDetectedMarkRect |
                                    xcOCCharMetrics::eDetectedMarkRectImage;

void checkType(xcOCCharMetrics::RectType type) {
    switch (type) {
    case xcOCCharMetrics::eCellRect:
    case xcOCCharMetrics::eCellRectImage:
    case xcOCCharMetrics::eMarkRect:
    case xcOCCharMetrics::eMarkRectImage:
    case xcOCCharMetrics::eDetectedMarkRect:
    case xcOCCharMetrics::eDetectedMarkRectImage:
        return;
    }
    throw xcOCDefs::BadParams("Illegal metrics rect type");
}

// NaN fails the test too: it has no integer value either.
void checkIntegerRange(double v) {
    if (!(v >= -2147483648.0 && v <= 2147483647.0))
        throw xcOCDefs::IntegerOverflow("Value overflows integer value range");
}

// The four corner coordinates are checked in the order upper-left x, upper-left y, lower-right
// x, lower-right y before the rectangle is enclosed in pels.
xcPelRect checkedEnclose(const xcRect& r) {
    checkIntegerRange(r.x());
    checkIntegerRange(r.y());
    checkIntegerRange(r.x() + r.width());
    checkIntegerRange(r.y() + r.height());
    return r.enclosePelRect();
}

// Bounding box of the rectangle's corners ul, ur and ll (and so of all four) mapped by xf.
xcRect mappedBox(const xcRect& r, const xcXform<2>& xf) {
    return xcAffineRectangle(r.ul(), r.ur(), r.ll()).map(xf).boundingBox();
}

void checkLinear(const xc_PelBuffer& image) {
    if (!image.imageFromClientXform()->isLinear())
        throw xcOCDefs::BadParams("image must have a linear imageFromClient transform");
}

xoc_rect32 toRecord(const xcPelRect& r) {
    // Image rectangles only ever receive values that came from 32-bit fixed-point integers.
    assert(r.x() >= INT32_MIN && r.x() <= INT32_MAX && r.y() >= INT32_MIN && r.y() <= INT32_MAX);
    assert(r.width() >= INT32_MIN && r.width() <= INT32_MAX);
    assert(r.height() >= INT32_MIN && r.height() <= INT32_MAX);
    return xoc_rect32{static_cast<int32_t>(r.x()), static_cast<int32_t>(r.y()),
                      static_cast<int32_t>(r.width()), static_cast<int32_t>(r.height())};
}

xcPelRect fromRecord(const xoc_rect32& r) {
    return xcPelRect(r.x, r.y, r.width, r.height);
}

xoc_rectD toRecord(const xcRect& r) {
    return xoc_rectD{r.x(), r.y(), r.width(), r.height()};
}

xcRect fromRecord(const xoc_rectD& r) {
    return xcRect(r.x, r.y, r.width, r.height);
}

} // namespace

xcOCCharMetrics::xcOCCharMetrics() {
    reset();
}

void xcOCCharMetrics::reset() {
    specifiedRects_ = 0;
    advanceSpecified_ = false;
    cellRectImage_ = markRectImage_ = detectedMarkRectImage_ = xcPelRect();
    fractionBits_ = 16;
    cellRect_ = markRect_ = detectedMarkRect_ = xcRect();
    advance_ = xcVector<2>();
}

xcOCCharMetrics xcOCCharMetrics::blankMetrics() {
    xcOCCharMetrics m;
    m.makeBlank();
    return m;
}

bool xcOCCharMetrics::operator==(const xcOCCharMetrics& o) const {
    return specifiedRects_ == o.specifiedRects_ && advanceSpecified_ == o.advanceSpecified_ &&
           cellRectImage_ == o.cellRectImage_ && markRectImage_ == o.markRectImage_ &&
           detectedMarkRectImage_ == o.detectedMarkRectImage_ && fractionBits_ == o.fractionBits_ &&
           cellRect_ == o.cellRect_ && markRect_ == o.markRect_ &&
           detectedMarkRect_ == o.detectedMarkRect_ && advance_ == o.advance_;
}

void xcOCCharMetrics::getRect_(RectType type, const xcRect*& client,
                               const xcPelRect*& image) const {
    checkType(type);
    client = nullptr;
    image = nullptr;
    switch (type) {
    case eCellRect:
        client = &cellRect_;
        break;
    case eCellRectImage:
        image = &cellRectImage_;
        break;
    case eMarkRect:
        client = &markRect_;
        break;
    case eMarkRectImage:
        image = &markRectImage_;
        break;
    case eDetectedMarkRect:
        client = &detectedMarkRect_;
        break;
    case eDetectedMarkRectImage:
        image = &detectedMarkRectImage_;
        break;
    }
}

void xcOCCharMetrics::getRect_(RectType type, xcRect*& client, xcPelRect*& image) {
    const xcRect* c = nullptr;
    const xcPelRect* i = nullptr;
    static_cast<const xcOCCharMetrics&>(*this).getRect_(type, c, i);
    client = const_cast<xcRect*>(c);
    image = const_cast<xcPelRect*>(i);
}

bool xcOCCharMetrics::isRectSpecified(RectType type) const {
    checkType(type);
    return (specifiedRects_ & type) != 0;
}

void xcOCCharMetrics::isRectSpecified(RectType type, bool specified) {
    checkType(type);
    if (specified)
        specifiedRects_ |= type;
    else
        specifiedRects_ &= ~static_cast<uint32_t>(type);
}

xcRect xcOCCharMetrics::rect(RectType type) const {
    const xcRect* client = nullptr;
    const xcPelRect* image = nullptr;
    getRect_(type, client, image);
    if ((specifiedRects_ & type) == 0) throw xcOCDefs::RectNotSpecified();
    if (client != nullptr) return *client;
    const xoc_rect32 fixed = toRecord(*image);
    xoc_rectD r{};
    xfThrowExceptionOnFailure(xoc_rectDInitFromRect32Fixed_(&r, &fixed, fractionBits_));
    return fromRecord(r);
}

void xcOCCharMetrics::rect(RectType type, const xcRect& r) {
    xcRect* client = nullptr;
    xcPelRect* image = nullptr;
    getRect_(type, client, image);
    if (client != nullptr) {
        *client = r;
        return;
    }
    const xoc_rectD value = toRecord(r);
    xoc_rect32 fixed{};
    xfThrowExceptionOnFailure(xoc_rect32FixedInitFromRectD_(&fixed, &value, fractionBits_));
    *image = fromRecord(fixed);
}

void xcOCCharMetrics::rect(RectType type, const xcPelRect& r) {
    rect(type, xfToRect(r));
}

xcVector<2> xcOCCharMetrics::advance() const {
    if (!advanceSpecified_) throw xcOCDefs::MetricNotSpecified();
    return advance_;
}

xcPelRect xcOCCharMetrics::encloseRect(RectType type) const {
    return checkedEnclose(rect(type));
}

xcPelRect xcOCCharMetrics::encloseRectImage(RectType type,
                                            const xcXform<2>& imageFromClient) const {
    const xcRect* client = nullptr;
    const xcPelRect* image = nullptr;
    getRect_(type, client, image);
    if (image != nullptr) return encloseRect(type);
    return checkedEnclose(mappedBox(rect(type), imageFromClient));
}

xcPelRect xcOCCharMetrics::encloseRectImage(RectType type, const xc_PelBuffer& image) const {
    checkType(type);
    checkLinear(image);
    return encloseRectImage(type, image.imageFromClient());
}

void xcOCCharMetrics::setImageRectsFromClientRects(const xcXform<2>& imageFromClient) {
    static constexpr RectType kPairs[3][2] = {{eCellRect, eCellRectImage},
                                              {eMarkRect, eMarkRectImage},
                                              {eDetectedMarkRect, eDetectedMarkRectImage}};
    // Worked on a copy so that an overflow in a later pair leaves the earlier ones unchanged.
    xcOCCharMetrics result(*this);
    for (const auto& pair : kPairs) {
        const bool specified = isRectSpecified(pair[0]);
        if (specified) {
            const xcRect box = mappedBox(rect(pair[0]), imageFromClient);
            checkIntegerRange(box.x());
            checkIntegerRange(box.y());
            checkIntegerRange(box.x() + box.width());
            checkIntegerRange(box.y() + box.height());
            result.rect(pair[1], box);
        }
        result.isRectSpecified(pair[1], specified);
    }
    *this = result;
}

void xcOCCharMetrics::setImageRectsFromClientRects(const xc_PelBuffer& image) {
    checkLinear(image);
    setImageRectsFromClientRects(image.imageFromClient());
}

bool xcOCCharMetrics::isBlank() const {
    const bool markSpecified = (specifiedRects_ & eMarkRect) != 0;
    const bool imageSpecified = (specifiedRects_ & eMarkRectImage) != 0;
    const bool markBlank = markRect_.degen();
    const bool imageBlank = markRectImage_.width() <= 0 || markRectImage_.height() <= 0;
    if (!markSpecified && !imageSpecified) return false;
    if (!imageSpecified) return markBlank;
    if (!markSpecified) return imageBlank;
    if (markBlank != imageBlank) throw xcOCDefs::MetricNotSpecified();
    return markBlank;
}

void xcOCCharMetrics::makeBlank() {
    markRect_ = detectedMarkRect_ = xcRect();
    markRectImage_ = detectedMarkRectImage_ = xcPelRect();
    specifiedRects_ |= kBlankRectBits;
}

void xcOCCharMetrics::setMetrics(const xoc_charMetrics& m) {
    specifiedRects_ = m.specifiedRects & kAllRectBits;
    advanceSpecified_ = m.advanceSpecified != 0;
    cellRectImage_ = fromRecord(m.cellRectImage);
    markRectImage_ = fromRecord(m.markRectImage);
    detectedMarkRectImage_ = fromRecord(m.detectedMarkRectImage);
    fractionBits_ = m.fractionBits;
    cellRect_ = fromRecord(m.cellRect);
    markRect_ = fromRecord(m.markRect);
    detectedMarkRect_ = fromRecord(m.detectedMarkRect);
    advance_ = xcVector<2>(m.advanceX, m.advanceY);
}

void xcOCCharMetrics::getMetrics(xoc_charMetrics& m) const {
    m.specifiedRects = specifiedRects_ & kAllRectBits;
    m.advanceSpecified = advanceSpecified_ ? 1 : 0;
    m.cellRectImage = toRecord(cellRectImage_);
    m.markRectImage = toRecord(markRectImage_);
    m.detectedMarkRectImage = toRecord(detectedMarkRectImage_);
    m.fractionBits = fractionBits_;
    m.cellRect = toRecord(cellRect_);
    m.markRect = toRecord(markRect_);
    m.detectedMarkRect = toRecord(detectedMarkRect_);
    m.advanceX = advance_.x();
    m.advanceY = advance_.y();
}

xcArchive& operator||(xcArchive& ar, xcOCCharMetrics& m) {
    xfExchangeVersion(ar, "xcOCCharMetrics", 1, 1);
    // A load fills a copy and takes it only when every field was read.
    xcOCCharMetrics t(m);
    ar || t.specifiedRects_ || t.advanceSpecified_;
    ar || t.cellRectImage_ || t.markRectImage_ || t.detectedMarkRectImage_;
    ar || t.fractionBits_;
    ar || t.cellRect_ || t.markRect_ || t.detectedMarkRect_;
    ar || t.advance_;
    if (ar.isLoading()) m = t;
    return ar;
}
