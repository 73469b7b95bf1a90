// Fuzz target: the image utilities on images up to 64 x 64 pels with random windows, offsets,
// client transforms and masks. The input's last byte picks the operation. Besides crashes it
// checks what the utilities promise: a refusal changes nothing, padding keeps the pels it pads
// around, the private-copy variants never write into the caller's pels, sizes and scores stay in
// their ranges.
#include "core/image/affine_sampling.h"
#include "fuzz/fuzz_support.h"
#include "oc/imageutil/affine_clip.h"
#include "oc/imageutil/background_pad.h"
#include "oc/imageutil/blankness.h"
#include "oc/imageutil/mark_rect.h"
#include "oc/imageutil/mirror_pad.h"

#include <cmath>
#include <limits>

using namespace oc_fuzz;

namespace {

using Image = xcPelBuffer<unsigned char>;
using ConstImage = xcPelBuffer_const<unsigned char>;

// The pels of a window part (all of the window by default), row by row; empty when unbound.
Bytes pels(const ConstImage& b, xcPelRect part = {}) {
    if (!b.isBound()) return {};
    if (part.isNull()) part = b.window();
    Bytes out;
    for (long y = part.y(); y < part.bottom(); ++y)
        for (long x = part.x(); x < part.right(); ++x)
            out.push_back(*b.pointToPel(x - b.window().x(), y - b.window().y()));
    return out;
}

// The image, a mask over its window, or (rarely) a mask of another window, or none.
Image maskFor(FuzzedDataProvider& in, const Image& img) {
    const int kind = in.ConsumeIntegralInRange<int>(0, 5);
    if (kind == 0) return {};
    const xcPelRect w = kind == 5 ? rectNear(in, img.window(), 3) : img.window();
    if (w.width() < 0 || w.height() < 0) return {};
    Image m(w);
    // One over the image's window cuts its greys; one of another window cares for every pel.
    const int cut = in.ConsumeIntegralInRange<int>(0, 256);
    for (long y = 0; y < m.height(); ++y)
        for (long x = 0; x < m.width(); ++x)
            *m.pointToPel(x, y) = kind == 5 || *img.pointToPel(x, y) >= cut ? 255 : 0;
    m.copyTransforms(img);
    return m;
}

double scaleOrOdd(FuzzedDataProvider& in, double lo, double hi) {
    switch (in.ConsumeIntegralInRange<int>(0, 15)) {
    case 0:
        return 0.0;
    case 1:
        return -1.0;
    case 2:
        return std::numeric_limits<double>::quiet_NaN();
    case 3:
        return std::numeric_limits<double>::infinity();
    default:
        return std::exp2(in.ConsumeFloatingPointInRange(std::log2(lo), std::log2(hi)));
    }
}

auto interpolation(FuzzedDataProvider& in) {
    return xcAffineSamplingParams::Interpolation(in.ConsumeIntegralInRange<int>(1, 4));
}

xcVector<2> point(FuzzedDataProvider& in) {
    return {in.ConsumeFloatingPointInRange(-300.0, 300.0),
            in.ConsumeFloatingPointInRange(-300.0, 300.0)};
}

void affineWithClipping(FuzzedDataProvider& in, const Image& img, const Image& mask) {
    const xcAffineRectangle rect(point(in), point(in), point(in));
    const short nx = in.ConsumeIntegralInRange<short>(1, 64),
                ny = in.ConsumeIntegralInRange<short>(1, 64);
    Image dst, dstMask;
    if (!tolerant([&] {
            const xcAffineSamplingParams p(rect, nx, ny, interpolation(in));
            xfAffineTransformWithClipping(img, mask, p, dst, dstMask);
        }))
        return;
    if (dst.width() != nx || dst.height() != ny) fault("the sample has another size");
    if (dstMask.isBound() && dstMask.window() != dst.window())
        fault("the sampled mask has another window");
}

void affineTransform(FuzzedDataProvider& in, const Image& img, const Image& mask, bool withMask) {
    const xcRadian angle(in.ConsumeIntegralInRange<int>(0, 31) == 0
                             ? std::numeric_limits<double>::quiet_NaN()
                             : in.ConsumeFloatingPointInRange(-7.0, 7.0));
    const double scale = scaleOrOdd(in, 1.0 / 16, 4.0);
    Image dst, dstMask;
    const bool done = tolerant([&] {
        if (withMask)
            xf_AffineTransform(img, mask, angle, scale, dst, dstMask, interpolation(in),
                               interpolation(in));
        else
            xf_AffineTransform(img, angle, scale, dst, interpolation(in));
    });
    if (!done && (dst.isBound() || dstMask.isBound()))
        fault("a refused transform changed its output");
    if (done && withMask && dstMask.window() != dst.window())
        fault("the mask output has another window");
}

void backgroundPad(FuzzedDataProvider& in, Image& img, Image& mask, int variant) {
    const xcPelRect rect = rectNear(in, img.window(), 6);
    const unsigned char careValue = in.ConsumeIntegral<unsigned char>();
    const Bytes before = pels(img), maskBefore = pels(mask);
    const bool inside = !rect.isNull() && img.window().contains(rect);
    const Bytes rectBefore = inside ? pels(img, rect) : Bytes();
    ConstImage c(img), cm(mask);
    bool found = false, done = false;
    switch (variant) {
    case 0:
        done = tolerant([&] { xf_OCBackgroundPadImage(img, rect); });
        break;
    case 1:
        done = tolerant([&] { xf_OCBackgroundPadImage(c, rect); });
        break;
    case 2:
        done = tolerant([&] { xf_OCBackgroundPadImage(img, mask, careValue, rect, found); });
        break;
    default:
        done = tolerant([&] { xf_OCBackgroundPadImage(c, cm, careValue, rect, found); });
        break;
    }
    // The private-copy variants never write into the caller's pels, and a refusal changes nothing.
    if ((variant % 2 == 1 || !done) && (pels(img) != before || pels(mask) != maskBefore))
        fault("padding changed pels it must not touch");
    if (variant == 0 && done && inside && pels(img, rect) != rectBefore)
        fault("padding changed the pels inside the rectangle");
}

void careRegion(FuzzedDataProvider& in, Image& mask) {
    const unsigned char careValue = in.ConsumeIntegral<unsigned char>();
    bool found = false;
    const bool mutableMask = in.ConsumeBool();
    ConstImage c(mask);
    const xcPelRect box = mutableMask ? xf_OCWindowMaskCareRegion(mask, careValue, found)
                                      : xf_OCWindowMaskCareRegion(c, careValue, found);
    const ConstImage& after = mutableMask ? ConstImage(mask) : c;
    if (after.isBound() && !(after.window() == box)) fault("the mask was windowed to another box");
}

void mirrorPad(FuzzedDataProvider& in, Image& img) {
    const xcPelRect inner = rectNear(in, img.window(), 6);
    const Bytes before = pels(img);
    const bool done = tolerant([&] { xf_OCMirrorPad(img, inner); });
    if (!done && pels(img) != before) fault("a refused mirror pad changed the image");
}

void blankness(FuzzedDataProvider& in, const Image& img, const Image& mask) {
    Image model = image(in, 32);
    model.clientFromImageXform(transform(in));
    const Image modelMask = in.ConsumeBool() ? maskFor(in, model) : Image();
    const xcPelRect rect = rectNear(in, model.window(), 8);
    const xcXform<2> xform = transform(in);
    double score = 0.0;
    if (tolerant([&] { score = xfScoreBlankness(img, mask, xform, model, rect, modelMask); }) &&
        !(score >= 0.0 && score <= 1000.0))
        fault("a blankness score outside 0 .. 1000");
}

void markRect(FuzzedDataProvider& in, const Image& img, const Image& mask) {
    const xcPelRect rect = rectNear(in, img.window(), 4);
    const bool isBlank = in.ConsumeIntegralInRange<int>(0, 7) == 0;
    const auto polarity = xcOCDefs::Polarity(in.ConsumeIntegralInRange<int>(0, 5));
    const xcRect given(
        in.ConsumeFloatingPointInRange(-80.0, 80.0), in.ConsumeFloatingPointInRange(-80.0, 80.0),
        in.ConsumeFloatingPointInRange(-10.0, 80.0), in.ConsumeFloatingPointInRange(-10.0, 80.0));
    const bool has = in.ConsumeBool();
    xcRect mark;
    xcVector<2> origin;
    switch (in.ConsumeIntegralInRange<int>(0, 4)) {
    case 0:
        tolerant([&] { xf_DetectMarkRect_(img, rect, mask, isBlank, polarity, mark); });
        break;
    case 1:
        tolerant([&] { xf_computeOriginImageCenter_(img, rect, mask, origin); });
        break;
    case 2:
        tolerant([&] { xf_computeOriginImageLowerLeft_(img, rect, mask, origin); });
        break;
    case 3:
        tolerant([&] {
            xf_computeOriginDetectedMarkLowerLeft_(img, rect, mask, isBlank, has, given, polarity,
                                                   origin);
        });
        break;
    default:
        tolerant([&] {
            xf_computeOriginSpecifiedMarkLowerLeft_(img, rect, mask, isBlank, has, given,
                                                    in.ConsumeBool(), given, polarity, origin);
        });
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const int op = in.ConsumeIntegralInRange<int>(0, 10);
    Image img = image(in, 64);
    img.clientFromImageXform(transform(in));
    Image mask = maskFor(in, img);
    switch (op) {
    case 0:
        affineWithClipping(in, img, mask);
        break;
    case 1:
    case 2:
        affineTransform(in, img, mask, op == 1);
        break;
    case 3:
    case 4:
    case 5:
    case 6:
        backgroundPad(in, img, mask, op - 3);
        break;
    case 7:
        careRegion(in, mask);
        break;
    case 8:
        mirrorPad(in, img);
        break;
    case 9:
        blankness(in, img, mask);
        break;
    default:
        markRect(in, img, mask);
        break;
    }
    return 0;
}
