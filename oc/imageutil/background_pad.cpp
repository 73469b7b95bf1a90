#include "oc/imageutil/background_pad.h"

#include "core/image/pel_ops.h"
#include "foundation/oc_defs.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

using Image = xcPelBuffer<unsigned char>;
using ConstImage = xcPelBuffer_const<unsigned char>;

// Running median over a window of r = n / 4 values on each side: the element at index count / 2
// of the sorted window (the upper median for even counts). A sliding histogram of the 256 grey
// values gives exactly that element without sorting each window.
void runningMedian(std::vector<unsigned char>& line) {
    const long n = long(line.size());
    const long r = n / 4;
    if (r == 0) return;
    std::array<long, 256> hist{};
    long count = 0;
    for (long j = 0; j <= std::min(r, n - 1); ++j, ++count) ++hist[line[j]];
    std::vector<unsigned char> out(line.size());
    for (long i = 0; i < n; ++i) {
        if (i > 0) {
            if (i + r < n) {
                ++hist[line[i + r]];
                ++count;
            }
            if (i - r - 1 >= 0) {
                --hist[line[i - r - 1]];
                --count;
            }
        }
        long seen = 0;
        int g = 0;
        while (seen + hist[g] <= count / 2) seen += hist[g++];
        out[i] = static_cast<unsigned char>(g);
    }
    line.swap(out);
}

void checkPadArguments(const ConstImage& image, const xcPelRect& rect) {
    if (!image.isBound()) throw xcOCDefs::BadParams("The image must be bound.");
    if (!rect.isNull() && !image.window().contains(rect))
        throw xcOCDefs::BadParams("The rectangle must lie inside the image window.");
}

// Pads outside `rect`, which lies inside the window and is not empty.
void pad(Image& image, const xcPelRect& rect) {
    const xcPelRect w = image.window();
    const long rx = rect.x() - w.x(), ry = rect.y() - w.y();
    const long rw = rect.width(), rh = rect.height();
    const long width = w.width(), height = w.height();
    std::vector<unsigned char> line(static_cast<size_t>(width));

    auto fillSide = [&](long edgeRow, long first, long last) {
        if (first > last) return;
        const unsigned char* edge = image.pointToPel(rx, edgeRow);
        std::fill(line.begin(), line.begin() + rx, edge[0]);
        std::copy(edge, edge + rw, line.begin() + rx);
        std::fill(line.begin() + rx + rw, line.end(), edge[rw - 1]);
        runningMedian(line);
        for (long y = first; y <= last; ++y)
            std::memcpy(image.pointToPel(0, y), line.data(), size_t(width));
    };
    fillSide(ry, 0, ry - 1);
    fillSide(ry + rh - 1, ry + rh, height - 1);

    if (rx == 0 && rx + rw == width) return;
    std::vector<unsigned char> left(static_cast<size_t>(rh)), right(static_cast<size_t>(rh));
    for (long y = 0; y < rh; ++y) {
        const unsigned char* row = image.pointToPel(rx, ry + y);
        left[y] = row[0];
        right[y] = row[rw - 1];
    }
    runningMedian(left);
    runningMedian(right);
    for (long y = 0; y < rh; ++y) {
        unsigned char* row = image.pointToPel(0, ry + y);
        std::fill(row, row + rx, left[y]);
        std::fill(row + rx + rw, row + width, right[y]);
    }
}

template <class Buffer>
bool cared(const Buffer& mask, long x, long y, unsigned char careValue) {
    return *mask.pointToPel(x, y) >= careValue;
}

template <class Buffer>
xcPelRect careRegion(Buffer& mask, unsigned char careValue, bool& found) {
    found = true;
    if (!mask.isBound()) return xcPelRect();
    const xcPelRect w = mask.window();
    const long width = w.width(), height = w.height();
    auto rowHas = [&](long y, long x0, long x1) {
        for (long x = x0; x <= x1; ++x)
            if (cared(mask, x, y, careValue)) return true;
        return false;
    };
    long top = 0;
    while (top < height && !rowHas(top, 0, width - 1)) ++top;
    if (top == height) {
        mask.setUnbound();
        found = false;
        return xcPelRect();
    }
    long bottom = height - 1;
    while (!rowHas(bottom, 0, width - 1)) --bottom;
    auto columnHas = [&](long x) {
        for (long y = top; y <= bottom; ++y)
            if (cared(mask, x, y, careValue)) return true;
        return false;
    };
    long left = 0;
    while (!columnHas(left)) ++left;
    long right = width - 1;
    while (!columnHas(right)) --right;

    const xcPelRect box(w.x() + left, w.y() + top, right - left + 1, bottom - top + 1);
    found = !box.isNull();
    bool full = true;
    for (long y = top; y <= bottom && full; ++y)
        for (long x = left; x <= right && full; ++x) full = cared(mask, x, y, careValue);
    if (full) {
        mask.setUnbound();
    } else {
        mask.window(box);
    }
    return box;
}

} // namespace

void xf_OCBackgroundPadImage(Image& image, const xcPelRect& rect) {
    checkPadArguments(image, rect);
    if (!rect.isNull()) pad(image, rect);
}

void xf_OCBackgroundPadImage(ConstImage& image, const xcPelRect& rect) {
    checkPadArguments(image, rect);
    Image copy;
    xfPelCopy(image, copy);
    if (!rect.isNull()) pad(copy, rect);
    image = copy;
}

xcPelRect xf_OCWindowMaskCareRegion(Image& mask, unsigned char careValue, bool& found) {
    return careRegion(mask, careValue, found);
}

xcPelRect xf_OCWindowMaskCareRegion(ConstImage& mask, unsigned char careValue, bool& found) {
    return careRegion(mask, careValue, found);
}

void xf_OCBackgroundPadImage(Image& image, Image& mask, unsigned char careValue,
                             const xcPelRect& rect, bool& found) {
    checkPadArguments(image, rect);
    xcPelRect box = rect;
    if (mask.isBound()) {
        box = xf_OCWindowMaskCareRegion(mask, careValue, found).intersect(rect);
    } else {
        found = true;
    }
    if (!found || box.isNull()) return;
    pad(image, box);
    if (mask.isBound()) pad(mask, box);
}

void xf_OCBackgroundPadImage(ConstImage& image, ConstImage& mask, unsigned char careValue,
                             const xcPelRect& rect, bool& found) {
    checkPadArguments(image, rect);
    xcPelRect box = rect;
    if (mask.isBound()) {
        box = xf_OCWindowMaskCareRegion(mask, careValue, found).intersect(rect);
    } else {
        found = true;
    }
    if (!found || box.isNull()) return;
    Image imageCopy;
    xfPelCopy(image, imageCopy);
    pad(imageCopy, box);
    if (mask.isBound()) {
        Image maskCopy;
        xfPelCopy(mask, maskCopy);
        pad(maskCopy, box);
        mask = maskCopy;
    }
    image = imageCopy;
}
