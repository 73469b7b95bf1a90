#include "oc/imageutil/mirror_pad.h"

#include "foundation/oc_defs.h"

#include <algorithm>
#include <cstring>

void xf_OCMirrorPad(xcPelBuffer<unsigned char>& buf, const xcPelRect& inner) {
    const xcPelRect o = buf.window();
    if (inner.isNull() || !o.contains(inner))
        throw xcOCDefs::BadParams(
            "The filled part must be a non-empty rectangle inside the window");
    // Window-relative positions of inner.
    const long ix = inner.x() - o.x(), iy = inner.y() - o.y();
    const long iw = inner.width(), ih = inner.height();
    auto row = [&](long y) { return buf.pointToPel(0, y); };

    for (long k = 0; k < iy; ++k) {
        const long from = iy + std::min(k, ih - 1);
        std::memcpy(row(iy - 1 - k) + ix, row(from) + ix, size_t(iw));
    }
    for (long k = 0; iy + ih + k < o.height(); ++k) {
        const long from = iy + ih - 1 - std::min(k, ih - 1);
        std::memcpy(row(iy + ih + k) + ix, row(from) + ix, size_t(iw));
    }
    for (long y = 0; y < o.height(); ++y) {
        unsigned char* r = row(y);
        for (long k = 0; k < ix; ++k) r[ix - 1 - k] = r[ix + std::min(k, iw - 1)];
        for (long k = 0; ix + iw + k < o.width(); ++k)
            r[ix + iw + k] = r[ix + iw - 1 - std::min(k, iw - 1)];
    }
}
