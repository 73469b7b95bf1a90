#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

namespace oc_fuzz {

void fault(const std::string& what) {
    std::fprintf(stderr, "fuzz fault: %s\n", what.c_str());
    std::abort();
}

xcPelBuffer<unsigned char> image(FuzzedDataProvider& in, long maxSide) {
    const long w = in.ConsumeIntegralInRange<long>(1, maxSide);
    const long h = in.ConsumeIntegralInRange<long>(1, maxSide);
    const long x = in.ConsumeIntegralInRange<long>(-8, 8);
    const long y = in.ConsumeIntegralInRange<long>(-8, 8);
    const long left = in.ConsumeIntegralInRange<long>(0, 4);
    const long top = in.ConsumeIntegralInRange<long>(0, 4);
    const long rootW = w + left + in.ConsumeIntegralInRange<long>(0, 4);
    const long rootH = h + top + in.ConsumeIntegralInRange<long>(0, 4);
    xcPelBuffer<unsigned char> root(xcPelRect(x - left, y - top, rootW, rootH));
    // At most half of what is left, so that the values drawn after the image still vary.
    const Bytes pels = in.ConsumeBytes<unsigned char>(
        std::min<std::size_t>(rootW * rootH, in.remaining_bytes() / 2));
    std::size_t next = 0;
    for (long j = 0; j < rootH; ++j)
        for (long i = 0; i < rootW; ++i)
            *root.pointToPel(i, j) = pels.empty()
                                         ? static_cast<unsigned char>((i * 7 + j * 13) & 0xFF)
                                         : pels[next++ % pels.size()];
    root.window(xcPelRect(x, y, w, h));
    return root;
}

xcXform<2> transform(FuzzedDataProvider& in) {
    if (in.ConsumeIntegralInRange<int>(0, 3) < 2) return xcXform<2>();
    const double angle = in.ConsumeFloatingPointInRange(-std::numbers::pi, std::numbers::pi);
    const double sx = std::exp2(in.ConsumeFloatingPointInRange(-2.0, 2.0));
    const double sy = std::exp2(in.ConsumeFloatingPointInRange(-2.0, 2.0));
    const double shear = in.ConsumeFloatingPointInRange(-1.0, 1.0);
    const double mirror = in.ConsumeBool() ? -1.0 : 1.0;
    const double c = std::cos(angle), s = std::sin(angle);
    // A turn of (scale, shear) with the x axis mirrored when asked.
    const xcMatrix<2> m(c * sx * mirror, c * shear * sy - s * sy, s * sx * mirror,
                        s * shear * sy + c * sy);
    const xcVector<2> t(in.ConsumeFloatingPointInRange(-200.0, 200.0),
                        in.ConsumeFloatingPointInRange(-200.0, 200.0));
    return xcXform<2>(m, t);
}

xcPelRect rectNear(FuzzedDataProvider& in, const xcPelRect& around, long reach) {
    const auto d = [&] { return in.ConsumeIntegralInRange<long>(-reach, reach); };
    const long x = around.x() + d(), y = around.y() + d();
    const long w = around.width() + d(), h = around.height() + d();
    return xcPelRect(x, y, w, h);
}

} // namespace oc_fuzz
