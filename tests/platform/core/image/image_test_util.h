// Helpers of the image tests: buffers with known or random pels.
#pragma once

#include "core/image/pel_buffer.h"

#include <random>

namespace image_test {

using Image = xcPelBuffer<unsigned char>;

// A value that tells image pels apart: different for neighbours in x and y.
inline unsigned char marker(long ix, long iy) {
    return static_cast<unsigned char>((ix * 7 + iy * 13) & 0xFF);
}

// A new root with the window whose pels hold marker(image x, image y).
inline Image marked(const xcPelRect& win) {
    Image img(win);
    for (long y = 0; y < win.height(); ++y)
        for (long x = 0; x < win.width(); ++x)
            *img.pointToPel(x, y) = marker(win.x() + x, win.y() + y);
    return img;
}

// A new root with the window and seeded random pels.
inline Image random(const xcPelRect& win, unsigned seed) {
    std::mt19937 gen(seed);
    Image img(win);
    for (long y = 0; y < win.height(); ++y)
        for (long x = 0; x < win.width(); ++x)
            *img.pointToPel(x, y) = static_cast<unsigned char>(gen() & 0xFF);
    return img;
}

} // namespace image_test
