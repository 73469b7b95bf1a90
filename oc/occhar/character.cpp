#include "oc/occhar/character.h"

#include "core/geom/xform_base.h"
#include "core/image/pel_buffer_archive.h"
#include "core/image/pel_errors.h"
#include "core/image/pel_ops.h"
#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"
#include "core/text/charcode.h"
#include "foundation/polarity.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

using Image = xcOCChar::Image;

bool imagesEqual(const Image& a, const Image& b) {
    if (!a.isBound() && !b.isBound()) return true;
    try {
        return xfPelEqual(a, b);
    } catch (const xcPel::UnboundWindow&) {
        return false;
    }
}

bool fitsInt32(long v) {
    return v >= INT32_MIN && v <= INT32_MAX;
}

void checkInt32(long v) {
    if (!fitsInt32(v)) throw xcOCDefs::IntegerOverflow("Value overflows integer value range");
}

// Codes are 32-bit values; a wider one (such as a sign extension to 64 bits) keeps its low half.
xcOCChar::String32 to32Bit(const xcOCChar::String32& s) {
    xcOCChar::String32 r(s);
    for (auto& c : r) c = static_cast<uint32_t>(c);
    return r;
}

// Each byte is a signed 8-bit value whose sign extends into the 32-bit code.
xcOCChar::String32 widen(const std::string& s) {
    xcOCChar::String32 r;
    r.reserve(s.size());
    for (char c : s)
        r.push_back(static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c))));
    return r;
}

std::string narrow(const xcOCChar::String32& s) {
    std::string r;
    r.reserve(s.size());
    for (unsigned long c : s) {
        if (!xcCharCode::isRepresentableAsTChar(c)) return std::string();
        r.push_back(xcCharCode::getAsTChar(c));
    }
    return r;
}

// A private copy by the root copy rule: exactly the window for a null rootCopyRect, otherwise
// the part of the root inside rootCopyRect, re-windowed to src's window.
Image rootCopy(const Image& src, const xcPelRect& rootCopyRect) {
    if (!src.isBound()) return src;
    if (!rootCopyRect.isNull() && !rootCopyRect.contains(src.window()))
        throw xcOCDefs::BadParams("Root copy rect does not contain image window");
    const xcPelRect w = src.window();
    Image region(src);
    if (!rootCopyRect.isNull()) {
        region.setEntire();
        region.window(rootCopyRect.intersect(region.window()), false);
    }
    xcPelBuffer<unsigned char> copy;
    xfPelCopy(region, copy);
    copy.window(w, false);
    return copy;
}

} // namespace

xcOCChar::xcOCChar()
    : polarity_(xcOCDefs::eUnknownPolarity), binarizedImageCached_(false),
      hasThresholdAndInvert_(false), threshold_(128), invert_(false) {
    metrics_.reset();
    metrics_.makeBlank();
}

xcOCChar::xcOCChar(const xcOCChar& other)
    : key_(other.key_), polarity_(other.polarity_), image_(other.image_), mask_(other.mask_),
      normalizedImage_(other.normalizedImage_), binarizedImageCached_(other.binarizedImageCached_),
      binarizedImage_(other.binarizedImage_), hasThresholdAndInvert_(other.hasThresholdAndInvert_),
      threshold_(other.threshold_), invert_(other.invert_), imageArea_(other.imageArea_),
      metrics_(other.metrics_), name32_(other.name32_), description32_(other.description32_),
      name_(other.name_), description_(other.description_) {
}

xcOCChar& xcOCChar::operator=(const xcOCChar& other) {
    if (this == &other) return *this;
    // The flags go first and come back last, so the cache is never taken as valid while its
    // fields are half copied.
    binarizedImageCached_ = false;
    hasThresholdAndInvert_ = false;
    key_ = other.key_;
    polarity_ = other.polarity_;
    threshold_ = other.threshold_;
    invert_ = other.invert_;
    imageArea_ = other.imageArea_;
    metrics_ = other.metrics_;
    name32_ = other.name32_;
    description32_ = other.description32_;
    name_ = other.name_;
    description_ = other.description_;
    image_ = other.image_;
    mask_ = other.mask_;
    normalizedImage_ = other.normalizedImage_;
    binarizedImage_ = other.binarizedImage_;
    binarizedImageCached_ = other.binarizedImageCached_;
    hasThresholdAndInvert_ = other.hasThresholdAndInvert_;
    return *this;
}

xcOCChar::~xcOCChar() = default;

void xcOCChar::reset() {
    *this = xcOCChar();
}

bool xcOCChar::operator==(const xcOCChar& o) const {
    return key_ == o.key_ && polarity_ == o.polarity_ && imagesEqual(image_, o.image_) &&
           imagesEqual(mask_, o.mask_) && imagesEqual(normalizedImage_, o.normalizedImage_) &&
           binarizedImageCached_ == o.binarizedImageCached_ &&
           imagesEqual(binarizedImage_, o.binarizedImage_) &&
           hasThresholdAndInvert_ == o.hasThresholdAndInvert_ && threshold_ == o.threshold_ &&
           invert_ == o.invert_ && imageArea_ == o.imageArea_ && metrics_ == o.metrics_ &&
           name32_ == o.name32_ && description32_ == o.description32_ && name_ == o.name_ &&
           description_ == o.description_;
}

std::string xcOCChar::name() const {
    if (name_.empty() && !name32_.empty()) throw xcCharCodeDefs::NotRepresentable();
    return name_;
}

void xcOCChar::name(const std::string& s) {
    String32 wide = widen(s);
    name_ = s;
    name32_ = std::move(wide);
}

void xcOCChar::name32(const String32& s) {
    String32 codes = to32Bit(s);
    std::string text = narrow(codes);
    name32_ = std::move(codes);
    name_ = std::move(text);
}

std::string xcOCChar::description() const {
    if (description_.empty() && !description32_.empty()) throw xcCharCodeDefs::NotRepresentable();
    return description_;
}

void xcOCChar::description(const std::string& s) {
    String32 wide = widen(s);
    description_ = s;
    description32_ = std::move(wide);
}

void xcOCChar::description32(const String32& s) {
    String32 codes = to32Bit(s);
    std::string text = narrow(codes);
    description32_ = std::move(codes);
    description_ = std::move(text);
}

void xcOCChar::polarity(xcOCDefs::Polarity p) {
    if (!xfIsValidPolarity(p)) throw xcOCDefs::BadParams("Unknown polarity");
    if (p == polarity_) return;
    polarity_ = p;
    dropDetectedMark_();
}

void xcOCChar::hasThresholdAndInvert(bool v) {
    if (v == hasThresholdAndInvert_) return;
    dropBinarizedCache_();
    hasThresholdAndInvert_ = v;
}

long xcOCChar::threshold() const {
    if (!hasThresholdAndInvert_) throw xcOCDefs::ThresholdAndInvertNotSpecified();
    return threshold_;
}

void xcOCChar::threshold(long t) {
    if (t < 0) throw xcOCDefs::BadParams("Threshold must be >= 0.");
    checkInt32(t);
    if (t == threshold_) return;
    dropBinarizedCache_();
    threshold_ = static_cast<int32_t>(t);
}

bool xcOCChar::invert() const {
    if (!hasThresholdAndInvert_) throw xcOCDefs::ThresholdAndInvertNotSpecified();
    return invert_;
}

void xcOCChar::invert(bool v) {
    if (v == invert_) return;
    dropBinarizedCache_();
    invert_ = v;
}

void xcOCChar::imageArea(const xcPelRect& r) {
    checkInt32(r.x());
    checkInt32(r.y());
    checkInt32(r.width());
    checkInt32(r.height());
    if (r == imageArea_) return;
    imageArea_ = r;
    dropDetectedMark_();
}

xcPelRect xcOCChar::markOrImageArea() const {
    if (metrics_.isBlank()) return imageArea_;
    try {
        return imageMarkRect().window();
    } catch (const xcOCDefs::RectNotSpecified&) {
        return imageArea_;
    }
}

Image xcOCChar::windowedToImageArea_(const Image& buffer, bool useImageArea) const {
    if (!useImageArea || !buffer.isBound()) return buffer;
    if (imageArea_.isNull()) throw xcOCDefs::BadParams("imageArea cannot be null");
    if (imageArea_.intersect(buffer.window()) != imageArea_)
        throw xcOCDefs::BadParams("image does not contain imageArea");
    Image r(buffer);
    r.window(imageArea_, false);
    return r;
}

Image xcOCChar::image(bool useImageArea) const {
    return windowedToImageArea_(image_, useImageArea);
}

Image xcOCChar::mask(bool useImageArea) const {
    return windowedToImageArea_(mask_, useImageArea);
}

Image xcOCChar::normalizedImage(bool useImageArea) const {
    return windowedToImageArea_(normalizedImage_, useImageArea);
}

Image xcOCChar::binarizedImage(bool useImageArea) {
    if (!hasThresholdAndInvert_) throw xcOCDefs::ThresholdAndInvertNotSpecified();
    buildBinarizedCache_();
    return windowedToImageArea_(binarizedImage_, useImageArea);
}

void xcOCChar::buildBinarizedCache_() {
    if (binarizedImageCached_ || !hasThresholdAndInvert_ || !normalizedImage_.isBound()) return;
    if (threshold_ > 256) throw xcOCDefs::BadParams("threshold() > 256)");
    const unsigned char low = invert_ ? 255 : 0;
    const unsigned char high = invert_ ? 0 : 255;
    std::array<unsigned char, 256> table{};
    for (int g = 0; g < 256; ++g) table[static_cast<std::size_t>(g)] = g < threshold_ ? low : high;
    xcPelBuffer<unsigned char> binarized;
    xfPelMap(normalizedImage_, table.data(), binarized);
    binarizedImage_ = binarized;
    binarizedImageCached_ = true;
}

void xcOCChar::dropBinarizedCache_() {
    binarizedImageCached_ = false;
    binarizedImage_ = Image();
}

void xcOCChar::dropDetectedMark_() {
    metrics_.hasDetectedMarkRect(false);
    metrics_.detectedMarkRect(xcRect());
}

Image xcOCChar::windowedToMark_(const Image& buffer) const {
    static constexpr xcOCCharMetrics::RectType kOrder[] = {
        xcOCCharMetrics::eMarkRectImage, xcOCCharMetrics::eDetectedMarkRectImage,
        xcOCCharMetrics::eMarkRect, xcOCCharMetrics::eDetectedMarkRect};
    const xcOCCharMetrics::RectType* type =
        std::find_if(std::begin(kOrder), std::end(kOrder),
                     [this](xcOCCharMetrics::RectType t) { return metrics_.isRectSpecified(t); });
    if (type == std::end(kOrder)) throw xcOCDefs::RectNotSpecified();
    if (!buffer.isBound()) return buffer;
    const xcPelRect mark = metrics_.encloseRectImage(*type, buffer);
    Image r(buffer);
    // Clipping gives the intersection, or a zero-size window at the nearest edge when the mark
    // lies outside the window.
    r.window(mark, true);
    return r;
}

Image xcOCChar::imageMarkRect() const {
    return windowedToMark_(image_);
}

Image xcOCChar::maskMarkRect() const {
    return windowedToMark_(mask_);
}

Image xcOCChar::normalizedImageMarkRect() const {
    return windowedToMark_(normalizedImage_);
}

void xcOCChar::image(const Image& src, const xcPelRect& rootCopyRect) {
    image_ = rootCopy(src, rootCopyRect);
    dropDetectedMark_();
}

void xcOCChar::mask(const Image& src, const xcPelRect& rootCopyRect) {
    mask_ = rootCopy(src, rootCopyRect);
    dropDetectedMark_();
}

void xcOCChar::normalizedImage(const Image& src, const xcPelRect& rootCopyRect) {
    Image copy = rootCopy(src, rootCopyRect);
    dropBinarizedCache_();
    normalizedImage_ = copy;
    dropDetectedMark_();
}

void xcOCChar::moveOrigin(const xcVector<2>& offset) {
    // Both new transforms are made before either is stored: inverting a non-linear one can fail.
    const xcXformHandle shift = xfMakeXform(xcXform<2>::translation(offset));
    Image image(image_);
    Image mask(mask_);
    image.imageFromClientXform(xfCompose(image.imageFromClientXform(), shift));
    mask.imageFromClientXform(xfCompose(mask.imageFromClientXform(), shift));
    static constexpr xcOCCharMetrics::RectType kClient[] = {
        xcOCCharMetrics::eCellRect, xcOCCharMetrics::eMarkRect, xcOCCharMetrics::eDetectedMarkRect};
    xcOCCharMetrics metrics(metrics_);
    for (xcOCCharMetrics::RectType t : kClient) {
        if (!metrics.isRectSpecified(t)) continue;
        const xcRect r = metrics.rect(t);
        if (r.degen()) continue;
        metrics.rect(t, xcRect(r.x() - offset.x(), r.y() - offset.y(), r.width(), r.height()));
    }
    image_ = image;
    mask_ = mask;
    metrics_ = metrics;
}

xcArchive& operator||(xcArchive& ar, xcOCChar& c) {
    xfExchangeVersion(ar, "xcOCChar", 1, 1);
    // A load fills a copy and takes it only when every field was read and is valid.
    xcOCChar t(c);
    uint32_t polarity = static_cast<uint32_t>(t.polarity_);
    ar || t.key_ || polarity;
    if (ar.isLoading()) {
        if (!xfIsValidPolarity(static_cast<int32_t>(polarity)))
            throw xcOCDefs::BadParams("Illegal polarity");
        t.polarity_ = static_cast<xcOCDefs::Polarity>(polarity);
    }
    ar || t.image_ || t.mask_ || t.normalizedImage_;
    ar || t.binarizedImageCached_ || t.binarizedImage_;
    ar || t.hasThresholdAndInvert_ || t.threshold_ || t.invert_;
    ar || t.imageArea_;
    ar || t.metrics_;
    ar || t.name32_ || t.description32_ || t.name_ || t.description_;
    if (ar.isLoading()) c = t;
    return ar;
}
