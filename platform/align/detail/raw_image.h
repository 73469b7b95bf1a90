// Plain 2-D arrays the alignment algorithms work on, free of pel buffer handles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace xc_align {

// A read-only view of 8-bit pels: width x height, rows `stride` elements apart.
struct GreyView {
    const std::uint8_t* data = nullptr;
    long stride = 0;
    long width = 0;
    long height = 0;

    const std::uint8_t* row(long y) const { return data + y * stride; }
};

// An owned image of T, rows packed (stride = width).
template <class T>
struct Plane {
    long width = 0;
    long height = 0;
    std::vector<T> px;

    Plane() = default;
    Plane(long w, long h, T fill = T()) : width(w), height(h), px(std::size_t(w * h), fill) {}
    // A plane whose rows become valid (zeroed) as growTo() reaches them: built row by row between
    // polls, its fresh pages are then touched a band at a time rather than all before the first.
    static Plane reserved(long w, long h) {
        Plane p;
        p.width = w;
        p.height = h;
        p.px.reserve(std::size_t(w * h));
        return p;
    }
    void growTo(long rows) {
        if (px.size() < std::size_t(rows * width)) px.resize(std::size_t(rows * width));
    }

    T* row(long y) { return px.data() + y * width; }
    const T* row(long y) const { return px.data() + y * width; }
    T& at(long x, long y) { return px[std::size_t(y * width + x)]; }
    const T& at(long x, long y) const { return px[std::size_t(y * width + x)]; }
    GreyView view() const requires(sizeof(T) == 1) {
        return GreyView{reinterpret_cast<const std::uint8_t*>(px.data()), width, width, height};
    }
};

using GreyPlane = Plane<std::uint8_t>;

} // namespace xc_align
