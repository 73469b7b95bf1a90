#include "core/image/pel_buffer.h"

#include "core/geom/geom_errors.h"
#include "core/image/pel_errors.h"

#include <algorithm>
#include <new>

// The shared pixel storage: rows of strideBytes bytes starting at data, covering rect in the
// image coordinates the root was created with, elemSize bytes per pel.
class xc_PelRoot {
public:
    xc_PelRoot(const xcPelRect& rect, long strideBytes, long elemSize)
        : rect_(rect), strideBytes_(strideBytes), elemSize_(elemSize),
          data_(static_cast<unsigned char*>(
              ::operator new(allocBytes(rect, strideBytes), std::align_val_t(kDataAlignment)))) {}
    // Pels owned elsewhere, kept alive by `keeper` as long as the root lives.
    xc_PelRoot(const xcPelRect& rect, long strideBytes, long elemSize, unsigned char* data,
               std::shared_ptr<const void> keeper)
        : rect_(rect), strideBytes_(strideBytes), elemSize_(elemSize), data_(data),
          keeper_(std::move(keeper)), owned_(false) {}
    ~xc_PelRoot() {
        if (owned_) ::operator delete(data_, std::align_val_t(kDataAlignment));
    }
    xc_PelRoot(const xc_PelRoot&) = delete;
    xc_PelRoot& operator=(const xc_PelRoot&) = delete;

    const xcPelRect& rect() const { return rect_; }
    long strideBytes() const { return strideBytes_; }
    long elemSize() const { return elemSize_; }
    unsigned char* data() const { return data_; }

private:
    // The first pel of every root starts on a cache line, whatever the row alignment.
    static constexpr std::size_t kDataAlignment = 64;
    static std::size_t allocBytes(const xcPelRect& rect, long strideBytes) {
        return std::max<std::size_t>(std::size_t(strideBytes) * std::size_t(rect.height()), 1);
    }

    xcPelRect rect_;
    long strideBytes_;
    long elemSize_;
    unsigned char* data_;
    std::shared_ptr<const void> keeper_;
    bool owned_ = true;
};

namespace {

constexpr long kMaxCoordinate = 1L << 40;
constexpr long kMaxPels = 1L << 31;
constexpr long kMaxAlignment = 4096;

const xcXformHandle& identityXform() {
    static const xcXformHandle id = xfMakeXform(xcXform<2>());
    return id;
}

bool coordinateInRange(long v) {
    return v >= -kMaxCoordinate && v <= kMaxCoordinate;
}

// Clamps the span [a, a + len) into [lo, hi]; a span that misses becomes empty at the nearest
// end. len may be negative or so large that a + len overflows.
void clampSpan(long a, long len, long lo, long hi, long& outA, long& outLen) {
    const long a0 = std::clamp(a, lo, hi);
    long end;
    if (len <= 0)
        end = a0;
    else if (__builtin_add_overflow(a, len, &end))
        end = hi;
    end = std::clamp(end, a0, hi);
    outA = a0;
    outLen = end - a0;
}

// A negative size, a window of more than 2^31 pels or a position beyond +-2^40 is refused.
void checkWindow(const xcPelRect& window) {
    if (window.width() < 0 || window.height() < 0)
        throw xcPel::BadWindow("Window size must not be negative");
    if (!coordinateInRange(window.x()) || !coordinateInRange(window.y()))
        throw xcPel::BadWindow("Window position out of range");
    if (window.width() > kMaxPels || window.height() > kMaxPels ||
        (window.height() > 0 && window.width() > kMaxPels / window.height()))
        throw xcPel::BadWindow("Window too large");
}

} // namespace

xc_PelBuffer::xc_PelBuffer()
    : clientFromImage_(identityXform()), imageFromClient_(identityXform()) {
}

xc_PelBuffer::xc_PelBuffer(const xcPelRect& window, long alignment, long elemSize)
    : clientFromImage_(identityXform()), imageFromClient_(identityXform()) {
    if (alignment < 1 || alignment > kMaxAlignment || (alignment & (alignment - 1)) != 0)
        throw xcPel::BadParams("Row alignment must be a power of two from 1 to 4096");
    checkWindow(window);
    // Rows are padded to the larger of the alignment and the pel size; both are powers of two.
    const long unit = std::max(alignment, elemSize);
    const long strideBytes = (window.width() * elemSize + unit - 1) / unit * unit;
    root_ = std::make_shared<xc_PelRoot>(window, strideBytes, elemSize);
    window_ = window;
    rowUpdate_ = strideBytes / elemSize;
    updateFirst_();
}

xc_PelBuffer::xc_PelBuffer(const xcPelRect& window, const unsigned char* pels, long strideBytes,
                           long elemSize, std::shared_ptr<const void> keeper)
    : clientFromImage_(identityXform()), imageFromClient_(identityXform()) {
    checkWindow(window);
    if (pels == nullptr) throw xcPel::BadParams("Pels must not be null");
    if (strideBytes < window.width() * elemSize || strideBytes % elemSize != 0)
        throw xcPel::BadParams("Row stride must hold a row and be a multiple of the pel size");
    // The root never writes through the pointer; a writable handle cannot be made from it.
    root_ = std::make_shared<xc_PelRoot>(window, strideBytes, elemSize,
                                         const_cast<unsigned char*>(pels), std::move(keeper));
    window_ = window;
    rowUpdate_ = strideBytes / elemSize;
    updateFirst_();
}

xc_PelBuffer::~xc_PelBuffer() = default;

void xc_PelBuffer::throwUnbound_() {
    throw xcPel::UnboundWindow("Pel buffer is unbound");
}

void xc_PelBuffer::updateFirst_() {
    const xcPelRect& r = root_->rect();
    // An empty window addresses no pel; pointing it at the root's start keeps the pointer valid.
    if (window_.isNull()) {
        first_ = root_->data();
        return;
    }
    const long col = window_.x() - dx_ - r.x();
    const long row = window_.y() - dy_ - r.y();
    first_ = root_->data() + row * root_->strideBytes() + col * root_->elemSize();
}

void xc_PelBuffer::window(const xcPelRect& r, bool clip) {
    if (!root_) throwUnbound_();
    const xcPelRect& w = window_;
    xcPelRect next;
    if (clip) {
        long x, width, y, height;
        clampSpan(r.x(), r.width(), w.x(), w.right(), x, width);
        clampSpan(r.y(), r.height(), w.y(), w.bottom(), y, height);
        next = xcPelRect(x, y, width, height);
    } else {
        // Written so that no sum can overflow whatever r holds.
        const bool inside = r.x() >= w.x() && r.y() >= w.y() && r.width() >= 0 && r.height() >= 0 &&
                            r.x() <= w.right() && r.y() <= w.bottom() &&
                            r.width() <= w.right() - r.x() && r.height() <= w.bottom() - r.y();
        if (!inside) throw xcPel::BadWindow("Window does not lie inside the current window");
        next = r;
    }
    window_ = next;
    updateFirst_();
}

void xc_PelBuffer::setEntire() {
    if (!root_) throwUnbound_();
    window_ = root_->rect().translate(dx_, dy_);
    updateFirst_();
}

void xc_PelBuffer::setUnbound() {
    root_.reset();
    window_ = xcPelRect();
    dx_ = dy_ = 0;
    first_ = nullptr;
    rowUpdate_ = 0;
}

void xc_PelBuffer::offset(const xcPelPoint& v) {
    if (!root_) throwUnbound_();
    if (!coordinateInRange(v.x()) || !coordinateInRange(v.y()))
        throw xcPel::BadWindow("Offset out of range");
    const long ddx = v.x() - window_.x(), ddy = v.y() - window_.y();
    window_ = window_.translate(ddx, ddy);
    dx_ += ddx;
    dy_ += ddy;
}

xcPelRect xc_PelBuffer::rootWindow() const {
    return window().translate(-dx_, -dy_);
}

void xc_PelBuffer::clientFromImageXform(const xcXformHandle& x) {
    if (!x) throw xcGeomDefs::BadParams("Transform handle is null");
    xcXformHandle inverse = x->inverse();
    clientFromImage_ = x;
    imageFromClient_ = std::move(inverse);
}

void xc_PelBuffer::imageFromClientXform(const xcXformHandle& x) {
    if (!x) throw xcGeomDefs::BadParams("Transform handle is null");
    xcXformHandle inverse = x->inverse();
    imageFromClient_ = x;
    clientFromImage_ = std::move(inverse);
}

void xc_PelBuffer::clientFromImageXform(const xcXform<2>& x) {
    clientFromImageXform(xfMakeXform(x));
}

void xc_PelBuffer::imageFromClientXform(const xcXform<2>& x) {
    imageFromClientXform(xfMakeXform(x));
}

xcXform<2> xc_PelBuffer::clientFromImage() const {
    return clientFromImage_->xform();
}

xcXform<2> xc_PelBuffer::imageFromClient() const {
    return imageFromClient_->xform();
}

template <class T>
xcPelBuffer_const<T>::xcPelBuffer_const() = default;

template <class T>
xcPelBuffer_const<T>::xcPelBuffer_const(long width, long height)
    : xc_PelBuffer(xcPelRect(0, 0, width, height), 1, long(sizeof(T))) {
}

template <class T>
xcPelBuffer_const<T>::xcPelBuffer_const(const xcPelRect& window, long alignment)
    : xc_PelBuffer(window, alignment, long(sizeof(T))) {
}

template <class T>
xcPelBuffer_const<T>::xcPelBuffer_const(const xcPelRect& window, const T* pels, long strideBytes,
                                        std::shared_ptr<const void> keeper)
    : xc_PelBuffer(window, reinterpret_cast<const unsigned char*>(pels), strideBytes,
                   long(sizeof(T)), std::move(keeper)) {
}

template <class T>
xcPelBuffer<T>::xcPelBuffer() = default;

template <class T>
xcPelBuffer<T>::xcPelBuffer(long width, long height)
    : xc_PelBuffer(xcPelRect(0, 0, width, height), 1, long(sizeof(T))) {
}

template <class T>
xcPelBuffer<T>::xcPelBuffer(const xcPelRect& window, long alignment)
    : xc_PelBuffer(window, alignment, long(sizeof(T))) {
}

template class xcPelBuffer_const<unsigned char>;
template class xcPelBuffer_const<short>;
template class xcPelBuffer<unsigned char>;
template class xcPelBuffer<short>;
