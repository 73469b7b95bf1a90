// Exchange of a character with the character core library's flat record, and the two
// operations that the library computes on that record.
#include "oc/occhar/character.h"

#include "core/base/failure.h"
#include "core/image/pel_ops.h"
#include "foundation/polarity.h"
#include "occore/xc_cleanup.h"
#include "occore/xc_image.h"
#include "occore/xstd_string.h"
#include "occore/xsys_cleanup.h"
#include "occore/xsys_typecheck.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using Image = xcOCChar::Image;

xcOCChar::String32 text32(const uint32_t* p) {
    xcOCChar::String32 s;
    if (p != nullptr)
        for (; *p != 0; ++p) s.push_back(*p);
    return s;
}

std::string text8(const char* p) {
    return p != nullptr ? std::string(p) : std::string();
}

// The zero-terminated form the record holds; the text ends at its first 0 code.
std::vector<uint32_t> zeroTerminated(const xcOCChar::String32& s) {
    std::vector<uint32_t> r;
    r.reserve(s.size() + 1);
    for (unsigned long c : s) {
        if (static_cast<uint32_t>(c) == 0) break;
        r.push_back(static_cast<uint32_t>(c));
    }
    r.push_back(0);
    return r;
}

Image fromRecord(const ximg_image8Const& image, bool copyImages) {
    Image converted = xfConvertImage(image);
    if (!copyImages || !converted.isBound()) return converted;
    xcPelBuffer<unsigned char> copy;
    xfPelCopy(converted, copy);
    return copy;
}

void toRecord(const Image& image, bool copyImages, ximg_image8Const& target) {
    Image source = image;
    if (copyImages && image.isBound()) {
        xcPelBuffer<unsigned char> copy;
        xfPelCopy(image, copy);
        source = copy;
    }
    // The wrapper and the copy go when this returns; the record keeps its own reference.
    const xc_Image wrapper(source);
    xfThrowExceptionOnFailure(ximg_imageConst_assign(&target.base, wrapper.imageConst()));
}

int32_t saturatedInt32(long v) {
    return static_cast<int32_t>(std::clamp<long>(v, std::numeric_limits<int32_t>::min(),
                                                 std::numeric_limits<int32_t>::max()));
}

xoc_rect32 checkedRect32(const xcPelRect& r) {
    for (long v : {r.x(), r.y(), r.width(), r.height()})
        if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
            throw xcOCDefs::IntegerOverflow("Value overflows integer value range");
    return xoc_rect32{static_cast<int32_t>(r.x()), static_cast<int32_t>(r.y()),
                      static_cast<int32_t>(r.width()), static_cast<int32_t>(r.height())};
}

// A clean-up scope holding a character record: the record's destructor is registered in the
// scope, so it runs however the scope is left. At most one more registration fits.
class RecordScope {
public:
    RecordScope() : guard_(openScope()) {
        xfThrowExceptionOnFailure(xoc_char_construct(&record_));
        registerOrRelease(xsys_typeCheckFunc_xoc_char(&xoc_char_destruct),
                          xsys_typeCheck_xoc_char(&record_),
                          [this] { xoc_char_destruct(&record_); });
    }
    RecordScope(const RecordScope&) = delete;
    RecordScope& operator=(const RecordScope&) = delete;

    xoc_char& record() { return record_; }

    // Registers the image record's destructor in the scope.
    void adopt(ximg_image8Const& image) {
        ximg_imageConst* generic = xsys_typeCheck_ximg_image8Const(&image);
        registerOrRelease(xsys_typeCheckFunc_ximg_imageConst(&ximg_imageConst_destruct),
                          xsys_typeCheck_ximg_imageConst(generic),
                          [generic] { ximg_imageConst_destruct(generic); });
    }

    // Runs the registered destructors now.
    void close() { xfThrowExceptionOnFailure(xsys_cleanupExecute_(guard_.tag())); }

private:
    static int32_t openScope() {
        const int32_t tag = xsys_cleanup_getNextTag();
        xfThrowExceptionOnFailure(tag);
        return tag;
    }

    template <class Release>
    void registerOrRelease(xsys_cleanupFunc destructor, void* object, Release release) {
        const int32_t code = xsys_cleanupRegister_(guard_.tag(), destructor, object);
        if (code < 0) {
            release();
            xfThrowExceptionOnFailure(code);
        }
    }

    // The record is declared first so that it is still alive when the guard's destruction runs
    // its destructor.
    xoc_char record_;
    xc_CleanupObject guard_;
};

} // namespace

void xcOCChar::setCharacter(const xoc_char& rec, bool copyImages) {
    hasThresholdAndInvert_ = false;
    binarizedImageCached_ = false;
    key_.setKey(rec.key);
    metrics_.setMetrics(rec.metrics);
    // Read as an integer: a C writer may have left any value there, and an enumeration must
    // not be read holding a value outside its range.
    int32_t polarity = 0;
    std::memcpy(&polarity, &rec.polarity, sizeof polarity);
    if (!xfIsValidPolarity(polarity)) throw xcOCDefs::BadParams("Illegal polarity");
    xfConvertPolarity(static_cast<xoc_charPolarity>(polarity), polarity_);
    imageArea_ =
        xcPelRect(rec.imageArea.x, rec.imageArea.y, rec.imageArea.width, rec.imageArea.height);
    threshold_ = rec.threshold;
    invert_ = rec.invert != 0;
    name32_ = text32(rec.name32);
    name_ = text8(rec.name);
    description32_ = text32(rec.description32);
    description_ = text8(rec.description);
    image_ = fromRecord(rec.image, copyImages);
    mask_ = fromRecord(rec.mask, copyImages);
    normalizedImage_ = fromRecord(rec.normalizedImage, copyImages);
    binarizedImage_ = fromRecord(rec.binarizedImage, copyImages);
    binarizedImageCached_ = rec.binarizedImageCached != 0;
    hasThresholdAndInvert_ = rec.hasThresholdAndInvert != 0;
}

void xcOCChar::getCharacter(xoc_char& rec, bool copyImages) const {
    key_.getKey(rec.key);
    metrics_.getMetrics(rec.metrics);
    xfConvertPolarity(polarity_, rec.polarity);
    rec.imageArea = checkedRect32(imageArea_);
    rec.hasThresholdAndInvert = hasThresholdAndInvert_ ? 1 : 0;
    rec.threshold = threshold_;
    rec.invert = invert_ ? 1 : 0;
    xfThrowExceptionOnFailure(xstd_string_clone32(zeroTerminated(name32_).data(), &rec.name32));
    xfThrowExceptionOnFailure(
        xstd_string_clone32(zeroTerminated(description32_).data(), &rec.description32));
    xfThrowExceptionOnFailure(xstd_string_cloneA(name_.c_str(), &rec.name));
    xfThrowExceptionOnFailure(xstd_string_cloneA(description_.c_str(), &rec.description));
    rec.binarizedImageCached = 0;
    toRecord(image_, copyImages, rec.image);
    toRecord(mask_, copyImages, rec.mask);
    toRecord(normalizedImage_, copyImages, rec.normalizedImage);
    toRecord(binarizedImage_, copyImages, rec.binarizedImage);
    rec.binarizedImageCached = binarizedImageCached_ ? 1 : 0;
}

xcOCChar::Image xcOCChar::binarizedImageMarkRect() const {
    ximg_image8Const result; // outlives the scope that releases it
    RecordScope scope;
    getCharacter(scope.record(), false);
    xfThrowExceptionOnFailure(ximg_imageConst_constructUnbound(&result.base));
    scope.adopt(result);
    xfThrowExceptionOnFailure(xoc_char_getBinarizedImageMarkRect8(&scope.record(), &result));
    // Converted before the scope closes: closing releases the result record, and the handle
    // taken here keeps the pixels.
    Image image = xfConvertImage(result);
    scope.close();
    return image;
}

void xcOCChar::normalizedImage(const Image& src, bool hasThresholdAndInvert, long threshold,
                               bool invert, const xcPelRect& rootCopyRect) {
    // Checked here as well, so that the caller gets the same error as from the other setters.
    if (src.isBound() && !rootCopyRect.isNull() && !rootCopyRect.contains(src.window()))
        throw xcOCDefs::BadParams("Root copy rect does not contain image window");
    RecordScope scope;
    getCharacter(scope.record(), false);
    const xc_Image wrapper(src);
    const xoc_rect32 copyRect = checkedRect32(rootCopyRect);
    // A threshold beyond 32 bits saturates, so the library still sees it out of range.
    xfThrowExceptionOnFailure(xoc_char_setNormalizedImageThresholdAndInvert8(
        &scope.record(), wrapper.image8(), hasThresholdAndInvert ? 1 : 0, saturatedInt32(threshold),
        invert ? 1 : 0, &copyRect));
    setCharacter(scope.record(), false);
    scope.close();
}
