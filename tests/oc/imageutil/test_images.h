// Small images for the image-utility tests, built from functions of image coordinates.
#pragma once

#include "core/image/pel_buffer.h"
#include "foundation/oc_defs.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace imageutil_test {

using Image = xcPelBuffer<unsigned char>;
using ConstImage = xcPelBuffer_const<unsigned char>;

// A new image with window `win` whose pel at image coordinates (x, y) is f(x, y).
inline Image makeImage(const xcPelRect& win, const std::function<int(long, long)>& f) {
    Image img(win);
    for (long y = 0; y < win.height(); ++y)
        for (long x = 0; x < win.width(); ++x)
            *img.pointToPel(x, y) = static_cast<unsigned char>(f(win.x() + x, win.y() + y));
    return img;
}

// A new image with window `win` holding the given rows.
inline Image fromRows(const xcPelRect& win, const std::vector<std::vector<int>>& rows) {
    return makeImage(win, [&](long x, long y) { return rows[y - win.y()][x - win.x()]; });
}

// The pel at image coordinates (x, y).
inline int pelAt(const ConstImage& img, long x, long y) {
    return *img.pointToPel(x - img.window().x(), y - img.window().y());
}

// The window's rows, top to bottom.
inline std::vector<std::vector<int>> rowsOf(const ConstImage& img) {
    std::vector<std::vector<int>> rows(size_t(img.height()));
    for (long y = 0; y < img.height(); ++y)
        for (long x = 0; x < img.width(); ++x) rows[y].push_back(*img.pointToPel(x, y));
    return rows;
}

// f must throw BadParams whose text is `what`.
template <class F>
void expectBadParams(F&& f, const char* what) {
    const auto e = caught<xcOCDefs::BadParams>(f);
    EXPECT_STREQ(e.what(), what);
    EXPECT_EQ(e.errorNumber(), 0x10005E00);
}

} // namespace imageutil_test
