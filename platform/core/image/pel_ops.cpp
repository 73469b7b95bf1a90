#include "core/image/pel_ops.h"

#include "core/image/pel_errors.h"

#include <algorithm>
#include <cstring>

namespace {

void requireBound(const xc_PelBuffer& b) {
    if (!b.isBound()) xc_PelBuffer::throwUnbound_();
}

void requireSameSize(const xc_PelBuffer& a, const xc_PelBuffer& b) {
    if (a.width() != b.width() || a.height() != b.height())
        throw xcPel::SizeMismatch("Pel buffers differ in size");
}

// True when the two handles see some of the same pels at different places of their windows,
// so that a pel-by-pel pass could overwrite input that it has still to read.
bool overlapsShifted(const xc_PelBuffer& a, const xc_PelBuffer& b) {
    if (!a.sharesRoot(b)) return false;
    const xcPelRect ra = a.rootWindow(), rb = b.rootWindow();
    return ra.x() != rb.x() || ra.y() != rb.y() ? !ra.intersect(rb).isNull() : false;
}

template <class T>
xcPelBuffer_const<T> detachedCopy(const xcPelBuffer_const<T>& src) {
    xcPelBuffer<T> copy(src.window());
    for (long y = 0; y < src.height(); ++y)
        std::memcpy(copy.rowPointer(y), src.rowPointer(y), std::size_t(src.width()) * sizeof(T));
    return copy;
}

// The output of an operation whose result has first's size: dst itself when bound (its size
// checked), else a new root with first's window and transforms. Checks only; dst is not changed.
template <class T>
xcPelBuffer<T> outputFor(const xcPelBuffer_const<T>& first, const xcPelBuffer<T>& dst) {
    if (dst.isBound()) {
        requireSameSize(first, dst);
        return dst;
    }
    xcPelBuffer<T> out(first.window());
    out.copyTransforms(first);
    return out;
}

// Applies op(out row, input rows..., width) to every row. Inputs that share pels with the
// output at another place are read from a private copy.
template <class T, class Op>
void rowPass(const xcPelBuffer_const<T>& a, const xcPelBuffer_const<T>* b, xcPelBuffer<T>& dst,
             Op op) {
    requireBound(a);
    if (b) {
        requireBound(*b);
        requireSameSize(a, *b);
    }
    xcPelBuffer<T> out = outputFor(a, dst);
    const xcPelBuffer_const<T> ia = overlapsShifted(a, out) ? detachedCopy(a) : a;
    xcPelBuffer_const<T> ib;
    if (b) ib = overlapsShifted(*b, out) ? detachedCopy(*b) : *b;
    const long w = a.width(), h = a.height();
    for (long y = 0; y < h; ++y)
        op(out.rowPointer(y), ia.rowPointer(y), b ? ib.rowPointer(y) : nullptr, w);
    dst = out;
}

template <class T>
void copyRow(T* out, const T* a, const T*, long w) {
    // Equal pointers (in-place copy) are allowed by memmove.
    std::memmove(out, a, std::size_t(w) * sizeof(T));
}

template <class T>
void minRow(T* out, const T* a, const T* b, long w) {
    for (long x = 0; x < w; ++x) out[x] = std::min(a[x], b[x]);
}

template <class T>
void maxRow(T* out, const T* a, const T* b, long w) {
    for (long x = 0; x < w; ++x) out[x] = std::max(a[x], b[x]);
}

template <class T>
void copyImpl(const xcPelBuffer_const<T>& src, xcPelBuffer<T>& dst) {
    rowPass<T>(src, nullptr, dst, copyRow<T>);
}

template <class T>
void minImpl(const xcPelBuffer_const<T>& a, const xcPelBuffer_const<T>& b, xcPelBuffer<T>& dst) {
    rowPass<T>(a, &b, dst, minRow<T>);
}

template <class T>
void maxImpl(const xcPelBuffer_const<T>& a, const xcPelBuffer_const<T>& b, xcPelBuffer<T>& dst) {
    rowPass<T>(a, &b, dst, maxRow<T>);
}

template <class T>
void requireNotEmpty(const xcPelBuffer_const<T>& buf) {
    requireBound(buf);
    if (buf.width() == 0 || buf.height() == 0) throw xcPel::BadWindow("Window holds no pels");
}

template <class T>
T minValue(const xcPelBuffer_const<T>& buf) {
    requireNotEmpty(buf);
    T m = *buf.pointToPel(0, 0);
    const long w = buf.width();
    for (long y = 0; y < buf.height(); ++y) {
        const T* row = buf.rowPointer(y);
        for (long x = 0; x < w; ++x) m = std::min(m, row[x]);
    }
    return m;
}

template <class T>
T maxValue(const xcPelBuffer_const<T>& buf) {
    requireNotEmpty(buf);
    T m = *buf.pointToPel(0, 0);
    const long w = buf.width();
    for (long y = 0; y < buf.height(); ++y) {
        const T* row = buf.rowPointer(y);
        for (long x = 0; x < w; ++x) m = std::max(m, row[x]);
    }
    return m;
}

template <class T>
void setImpl(xcPelBuffer<T>& buf, T value) {
    requireBound(buf);
    const long w = buf.width();
    for (long y = 0; y < buf.height(); ++y) std::fill_n(buf.rowPointer(y), w, value);
}

template <class T>
bool equalImpl(const xcPelBuffer_const<T>& a, const xcPelBuffer_const<T>& b) {
    requireBound(a);
    requireBound(b);
    if (a.width() != b.width() || a.height() != b.height()) return false;
    const std::size_t rowBytes = std::size_t(a.width()) * sizeof(T);
    for (long y = 0; y < a.height(); ++y)
        if (std::memcmp(a.rowPointer(y), b.rowPointer(y), rowBytes) != 0) return false;
    return true;
}

} // namespace

void xfPelCopy(const xcPelBuffer_const<unsigned char>& src, xcPelBuffer<unsigned char>& dst) {
    copyImpl(src, dst);
}
void xfPelCopy(const xcPelBuffer_const<short>& src, xcPelBuffer<short>& dst) {
    copyImpl(src, dst);
}

void xfPelMap(const xcPelBuffer_const<unsigned char>& src, const unsigned char table[256],
              xcPelBuffer<unsigned char>& dst) {
    if (!table) throw xcPel::BadParams("Grey map table is null");
    rowPass<unsigned char>(
        src, nullptr, dst,
        [table](unsigned char* out, const unsigned char* a, const unsigned char*, long w) {
            for (long x = 0; x < w; ++x) out[x] = table[a[x]];
        });
}

unsigned char xfPelMin(const xcPelBuffer_const<unsigned char>& buf) {
    return minValue(buf);
}
unsigned char xfPelMax(const xcPelBuffer_const<unsigned char>& buf) {
    return maxValue(buf);
}
short xfPelMin(const xcPelBuffer_const<short>& buf) {
    return minValue(buf);
}
short xfPelMax(const xcPelBuffer_const<short>& buf) {
    return maxValue(buf);
}

void xfPelMin(const xcPelBuffer_const<unsigned char>& a, const xcPelBuffer_const<unsigned char>& b,
              xcPelBuffer<unsigned char>& dst) {
    minImpl(a, b, dst);
}
void xfPelMax(const xcPelBuffer_const<unsigned char>& a, const xcPelBuffer_const<unsigned char>& b,
              xcPelBuffer<unsigned char>& dst) {
    maxImpl(a, b, dst);
}
void xfPelMin(const xcPelBuffer_const<short>& a, const xcPelBuffer_const<short>& b,
              xcPelBuffer<short>& dst) {
    minImpl(a, b, dst);
}
void xfPelMax(const xcPelBuffer_const<short>& a, const xcPelBuffer_const<short>& b,
              xcPelBuffer<short>& dst) {
    maxImpl(a, b, dst);
}

void xfPelSet(xcPelBuffer<unsigned char>& buf, unsigned char value) {
    setImpl(buf, value);
}
void xfPelSet(xcPelBuffer<short>& buf, short value) {
    setImpl(buf, value);
}

xcHistoStats xfPelHistogram(const xcPelBuffer_const<unsigned char>& buf) {
    requireBound(buf);
    // Four interleaved tables break the store-to-load chain of runs of equal pels.
    unsigned long part[4][256] = {};
    const long w = buf.width();
    for (long y = 0; y < buf.height(); ++y) {
        const unsigned char* row = buf.rowPointer(y);
        long x = 0;
        for (; x + 4 <= w; x += 4) {
            ++part[0][row[x]];
            ++part[1][row[x + 1]];
            ++part[2][row[x + 2]];
            ++part[3][row[x + 3]];
        }
        for (; x < w; ++x) ++part[0][row[x]];
    }
    xcHistoStats::Counts counts{};
    for (int g = 0; g < 256; ++g) counts[g] = part[0][g] + part[1][g] + part[2][g] + part[3][g];
    return xcHistoStats(counts);
}

xcHistoStats xfPelHistogram(const xcPelBuffer_const<unsigned char>& buf,
                            const xcPelBuffer_const<unsigned char>& mask) {
    requireBound(buf);
    requireBound(mask);
    requireSameSize(buf, mask);
    xcHistoStats::Counts counts{};
    const long w = buf.width();
    for (long y = 0; y < buf.height(); ++y) {
        const unsigned char* row = buf.rowPointer(y);
        const unsigned char* m = mask.rowPointer(y);
        for (long x = 0; x < w; ++x) counts[row[x]] += m[x] >> 7;
    }
    return xcHistoStats(counts);
}

bool xfPelEqual(const xcPelBuffer_const<unsigned char>& a,
                const xcPelBuffer_const<unsigned char>& b) {
    return equalImpl(a, b);
}
bool xfPelEqual(const xcPelBuffer_const<short>& a, const xcPelBuffer_const<short>& b) {
    return equalImpl(a, b);
}
