#include "core/image/pel_buffer_archive.h"

#include "core/persist/archive.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

template <class T>
void storePels(xcArchive& ar, const xcPelBuffer_const<T>& b) {
    const long w = b.width();
    if (w == 0 || b.height() == 0) return;
    std::vector<unsigned char> bytes(std::size_t(w) * sizeof(T));
    for (long y = 0; y < b.height(); ++y) {
        const T* row = b.rowPointer(y);
        if constexpr (sizeof(T) == 1) {
            for (long x = 0; x < w; ++x) bytes[std::size_t(x)] = static_cast<unsigned char>(row[x]);
        } else {
            for (long x = 0; x < w; ++x) {
                const unsigned v = static_cast<unsigned short>(row[x]);
                bytes[2 * std::size_t(x)] = static_cast<unsigned char>(v & 0xFF);
                bytes[2 * std::size_t(x) + 1] = static_cast<unsigned char>(v >> 8);
            }
        }
        ar.write(bytes.data(), bytes.size());
    }
}

template <class T>
void loadPels(xcArchive& ar, xcPelBuffer<T>& b) {
    const long w = b.width();
    // A window with a side of 0 holds no pels: neither side may drive a loop or an allocation,
    // or a damaged archive of a few bytes could make either one huge.
    if (w == 0 || b.height() == 0) return;
    std::vector<unsigned char> bytes(std::size_t(w) * sizeof(T));
    for (long y = 0; y < b.height(); ++y) {
        ar.read(bytes.data(), bytes.size());
        T* row = b.rowPointer(y);
        if constexpr (sizeof(T) == 1) {
            for (long x = 0; x < w; ++x) row[x] = static_cast<T>(bytes[std::size_t(x)]);
        } else {
            for (long x = 0; x < w; ++x)
                row[x] = static_cast<T>(static_cast<unsigned short>(
                    bytes[2 * std::size_t(x)] | (bytes[2 * std::size_t(x) + 1] << 8)));
        }
    }
}

template <class T>
void store(xcArchive& ar, const xcPelBuffer_const<T>& b) {
    const xcXformHandle cfi = b.clientFromImageXform();
    if (!cfi->isLinear()) throw xcArchive::NotStorable("Pel buffer transform is not linear");
    const xcXform<2> x = cfi->xform();
    long win[4] = {};
    if (b.isBound()) {
        const xcPelRect& r = b.window();
        win[0] = r.x();
        win[1] = r.y();
        win[2] = r.width();
        win[3] = r.height();
        // A window the 32-bit fields cannot hold is refused before anything is written.
        for (long v : win)
            if (v < INT32_MIN || v > INT32_MAX)
                throw xcArchive::NotStorable("Pel buffer window beyond 32 bits");
    }
    bool bound = b.isBound();
    double m[6] = {x.matrix().a(), x.matrix().b(), x.matrix().c(),
                   x.matrix().d(), x.trans().x(),  x.trans().y()};
    ar || bound;
    for (double& v : m) ar || v;
    if (!bound) return;
    for (long& v : win) ar || v;
    storePels(ar, b);
}

template <class T>
xcPelBuffer<T> load(xcArchive& ar) {
    bool bound = false;
    double m[6];
    ar || bound;
    for (double& v : m) ar || v;
    const xcMatrix<2> matrix(m[0], m[1], m[2], m[3]);
    for (double v : m)
        if (!std::isfinite(v)) throw xcArchive::BadFormat("Pel buffer transform is not finite");
    const double det = matrix.det();
    if (!(std::isfinite(det) && det != 0.0))
        throw xcArchive::BadFormat("Pel buffer transform is singular");
    xcPelBuffer<T> b;
    if (bound) {
        long win[4];
        for (long& v : win) ar || v;
        if (win[2] < 0 || win[3] < 0) throw xcArchive::BadFormat("Pel buffer size is negative");
        ar.checkCount(std::uint64_t(win[2]) * std::uint64_t(win[3]), sizeof(T));
        b = xcPelBuffer<T>(xcPelRect(win[0], win[1], win[2], win[3]));
        loadPels(ar, b);
    }
    b.clientFromImageXform(xcXform<2>(matrix, xcVector<2>(m[4], m[5])));
    return b;
}

} // namespace

xcArchive& operator||(xcArchive& ar, xcPelBuffer<unsigned char>& b) {
    if (ar.isStoring())
        store<unsigned char>(ar, b);
    else
        b = load<unsigned char>(ar);
    return ar;
}

xcArchive& operator||(xcArchive& ar, xcPelBuffer_const<unsigned char>& b) {
    if (ar.isStoring())
        store<unsigned char>(ar, b);
    else
        b = load<unsigned char>(ar);
    return ar;
}

xcArchive& operator||(xcArchive& ar, xcPelBuffer<short>& b) {
    if (ar.isStoring())
        store<short>(ar, b);
    else
        b = load<short>(ar);
    return ar;
}

xcArchive& operator||(xcArchive& ar, xcPelBuffer_const<short>& b) {
    if (ar.isStoring())
        store<short>(ar, b);
    else
        b = load<short>(ar);
    return ar;
}
