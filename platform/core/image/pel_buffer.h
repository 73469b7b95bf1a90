// Pel buffers: handles on a shared 2-D array of pels, each with its own window and client
// coordinates.
#pragma once

#include "core/export.h"
#include "core/geom/rect.h"
#include "core/geom/xform_base.h"
#include "core/image/pel_point.h"

#include <cassert>
#include <memory>

class xc_PelRoot;

// The untyped part of a pel buffer handle.
//
// Pixels are shared: every copy of a handle refers to the same root buffer, which lives as long
// as any handle on it (the count is atomic, so handles may be copied on any thread). Writing a
// pel through one handle is seen through every other handle on the root.
//
// Everything else is per handle, with value semantics: the window, the labelling of image
// coordinates (offset) and both transforms. Changing them on one handle never changes another.
//
// Image coordinates: pel (i, j) covers [i, i + 1) x [j, j + 1), y grows downwards. The window is
// an xcPelRect in image coordinates and always lies inside the root. clientFromImage maps image
// coordinates to client coordinates and imageFromClient is its inverse; both are the identity on
// a new buffer, and they are kept mutually inverse. Windowing never changes image coordinates or
// transforms. An unbound handle holds no pels and no window but still carries its transforms.
//
// Threads: handles on one root may be copied, destroyed and used on different threads; a single
// handle object, like any value, is changed by one thread at a time.
class XCORE_API xc_PelBuffer {
public:
    xc_PelBuffer(const xc_PelBuffer&) = default;
    xc_PelBuffer& operator=(const xc_PelBuffer&) = default;
    ~xc_PelBuffer();

    bool isBound() const { return root_ != nullptr; }

    // The window in image coordinates; an unbound buffer throws xcPel::UnboundWindow.
    const xcPelRect& window() const {
        if (!root_) throwUnbound_();
        return window_;
    }
    // Narrows the window. Without clip, r must lie inside the current window (an empty r inside
    // it is allowed and gives a zero-size window), else xcPel::BadWindow. With clip, r's edges
    // are clamped into the current window, which gives r intersected with it, or a zero-size
    // window at the nearest edge when r misses it.
    void window(const xcPelRect& r, bool clip = false);
    // Widens the window to the whole root.
    void setEntire();
    // Drops the pels and the window; the transforms stay.
    void setUnbound();

    // The upper-left corner of the window.
    xcPelPoint offset() const {
        const xcPelRect& w = window();
        return xcPelPoint(w.x(), w.y());
    }
    // Relabels this handle's image coordinates so that the window's upper-left corner becomes
    // v. The pels and the transforms are not changed, so the client coordinates of the pels move
    // by (v - old offset) in image terms; a caller that wants them kept adjusts the transforms.
    void offset(const xcPelPoint& v);

    long width() const { return window().width(); }
    long height() const { return window().height(); }
    // Elements from one pel to the one below it (at least the width; rows may be padded).
    long rowUpdate() const {
        if (!root_) throwUnbound_();
        return rowUpdate_;
    }

    // The window in the root's own image coordinates, the ones it was created with (differs
    // from window() only after offset(v)).
    xcPelRect rootWindow() const;
    // True when both handles are bound to the same root.
    bool sharesRoot(const xc_PelBuffer& other) const {
        return root_ != nullptr && root_ == other.root_;
    }

    xcXformHandle clientFromImageXform() const { return clientFromImage_; }
    xcXformHandle imageFromClientXform() const { return imageFromClient_; }
    // Setting one transform sets the other to its inverse. A null handle throws
    // xcGeomDefs::BadParams and a singular transform xcGeomDefs::Singular, before anything
    // changes.
    void clientFromImageXform(const xcXformHandle& x);
    void imageFromClientXform(const xcXformHandle& x);
    void clientFromImageXform(const xcXform<2>& x);
    void imageFromClientXform(const xcXform<2>& x);
    // Gives this handle the other's two transforms as they are.
    void copyTransforms(const xc_PelBuffer& from) {
        clientFromImage_ = from.clientFromImage_;
        imageFromClient_ = from.imageFromClient_;
    }
    // The transforms as affine maps; a non-linear one throws xcGeomDefs::BadParams.
    xcXform<2> clientFromImage() const;
    xcXform<2> imageFromClient() const;

    // Throws xcPel::UnboundWindow with the message every unbound access uses.
    [[noreturn]] static void throwUnbound_();

protected:
    // Unbound, identity transforms.
    xc_PelBuffer();
    // A new root covering exactly `window` at those image coordinates, elemSize bytes per pel,
    // rows padded to a multiple of `alignment` bytes (a power of two from 1 to 4096, else
    // xcPel::BadParams). A negative size, a window of more than 2^31 pels or a position beyond
    // +-2^40 throws xcPel::BadWindow. The pels are not initialised.
    xc_PelBuffer(const xcPelRect& window, long alignment, long elemSize);
    // A root over pels owned elsewhere (see xcPelBuffer_const).
    xc_PelBuffer(const xcPelRect& window, const unsigned char* pels, long strideBytes,
                 long elemSize, std::shared_ptr<const void> keeper);

    // Address of the window's first pel (unchecked).
    unsigned char* firstPel_() const {
        assert(root_ != nullptr);
        return first_;
    }
    long rowUpdateUnchecked_() const { return rowUpdate_; }

private:
    void updateFirst_();

    std::shared_ptr<xc_PelRoot> root_;
    xcPelRect window_;
    // This handle's image coordinates are the root's plus (dx_, dy_).
    long dx_ = 0;
    long dy_ = 0;
    xcXformHandle clientFromImage_;
    xcXformHandle imageFromClient_;
    unsigned char* first_ = nullptr;
    long rowUpdate_ = 0;
};

// Exported here already: clang fixes a template's visibility where it is first declared, and
// xcPelBuffer_const names it before its definition.
template <class T>
class XCORE_API xcPelBuffer;

// A handle through which the pels can only be read. T is unsigned char or short (the library
// instantiates both, also for xcPelBuffer).
template <class T>
class XCORE_API xcPelBuffer_const : public xc_PelBuffer {
public:
    // Unbound.
    xcPelBuffer_const();
    // A new root with window (0, 0, width, height).
    xcPelBuffer_const(long width, long height);
    // A new root covering exactly `window` at those image coordinates; rows padded to a
    // multiple of `alignment` bytes.
    explicit xcPelBuffer_const(const xcPelRect& window, long alignment = 1);
    // A root over pels owned elsewhere, without copying: `window` at those image coordinates,
    // its first pel at `pels`, rows `strideBytes` apart. The root holds `keeper` until its last
    // handle goes (null when the caller keeps the pels alive longer than every handle). A window
    // the other constructors refuse, a null pointer, or a stride below a row or not a multiple
    // of the pel size throws xcPel::BadWindow or xcPel::BadParams.
    xcPelBuffer_const(const xcPelRect& window, const T* pels, long strideBytes,
                      std::shared_ptr<const void> keeper);
    // Shares the pels of a writable handle, with its window and transforms.
    xcPelBuffer_const(const xcPelBuffer<T>& b);

    // Pel (x, y) of the window (window-relative, unchecked).
    const T* pointToPel(long x, long y) const {
        return reinterpret_cast<const T*>(firstPel_()) + y * rowUpdateUnchecked_() + x;
    }
    // First pel of window row `row` (window-relative, unchecked).
    const T* rowPointer(long row) const { return pointToPel(0, row); }
};

// A handle through which the pels can be read and written. T is unsigned char or short.
template <class T>
class XCORE_API xcPelBuffer : public xc_PelBuffer {
public:
    // Unbound.
    xcPelBuffer();
    // A new root with window (0, 0, width, height).
    xcPelBuffer(long width, long height);
    // A new root covering exactly `window` at those image coordinates; rows padded to a
    // multiple of `alignment` bytes.
    explicit xcPelBuffer(const xcPelRect& window, long alignment = 1);

    // Pel (x, y) of the window (window-relative, unchecked).
    T* pointToPel(long x, long y) {
        return reinterpret_cast<T*>(firstPel_()) + y * rowUpdateUnchecked_() + x;
    }
    const T* pointToPel(long x, long y) const {
        return reinterpret_cast<const T*>(firstPel_()) + y * rowUpdateUnchecked_() + x;
    }
    // First pel of window row `row` (window-relative, unchecked).
    T* rowPointer(long row) { return pointToPel(0, row); }
    const T* rowPointer(long row) const { return pointToPel(0, row); }
};

template <class T>
xcPelBuffer_const<T>::xcPelBuffer_const(const xcPelBuffer<T>& b) : xc_PelBuffer(b) {
}
