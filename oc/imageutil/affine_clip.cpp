#include "oc/imageutil/affine_clip.h"

#include "core/geom/affine_rect.h"
#include "core/image/pel_ops.h"
#include "foundation/oc_defs.h"
#include "oc/imageutil/mirror_pad.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using Image = xcPelBuffer<unsigned char>;
using ConstImage = xcPelBuffer_const<unsigned char>;

// The pels sampled around the rectangle so that interpolation near its edges has data.
constexpr double kClipMargin = 4.0;
// The largest padded region: beyond it the sampled rectangle is far larger than any image.
constexpr long long kMaxPaddedPels = 1LL << 28;
// The farthest position of the padded region: where pel buffers end.
constexpr double kMaxPaddedPosition = 0x1p40;
// Canvas margin of xf_AffineTransform.
constexpr long kCanvasMargin = 3;

// The box around the four corners of the rectangle mapped into src's image coordinates.
xcRect imageBox(const xcAffineRectangle& r, const ConstImage& src) {
    const xcXformHandle ifc = src.imageFromClientXform();
    const std::array<xcVector<2>, 4> c{ifc->mapPoint(r.cornerPo()), ifc->mapPoint(r.cornerPx()),
                                       ifc->mapPoint(r.cornerPy()), ifc->mapPoint(r.cornerPopp())};
    double x0 = c[0].x(), y0 = c[0].y(), x1 = x0, y1 = y0;
    for (const auto& p : c) {
        x0 = std::min(x0, p.x());
        y0 = std::min(y0, p.y());
        x1 = std::max(x1, p.x());
        y1 = std::max(y1, p.y());
    }
    return xcRect(x0, y0, x1 - x0, y1 - y0);
}

// Copies the part of `from` inside `part` into the same image positions of `to`.
void copyPart(const ConstImage& from, Image& to, const xcPelRect& part) {
    if (part.isNull()) return;
    ConstImage src = from;
    src.window(part);
    Image dst = to;
    dst.window(part);
    xfPelCopy(src, dst);
}

// Image and mask padded to `p`: the median grey value around src, and a mask that is 0 there.
void padToRect(const ConstImage& src, const ConstImage& mask, const xcPelRect& p,
               ConstImage& paddedImage, ConstImage& paddedMask) {
    if (src.window().contains(p)) {
        paddedImage = src;
        paddedMask = mask;
        return;
    }
    Image img(p, 32);
    img.clientFromImageXform(src.clientFromImageXform());
    Image msk(p, 32);
    msk.clientFromImageXform(mask.clientFromImageXform());
    xfPelSet(img, static_cast<unsigned char>(xfPelHistogram(src).median()));
    const xcPelRect inside = p.intersect(src.window());
    copyPart(src, img, inside);
    xfPelSet(msk, 0);
    if (!mask.isBound()) {
        if (!inside.isNull()) {
            Image part = msk;
            part.window(inside);
            xfPelSet(part, 255);
        }
    } else {
        copyPart(mask, msk, inside);
    }
    paddedImage = img;
    paddedMask = msk;
}

} // namespace

void xfAffineTransformWithClipping(const ConstImage& src, const ConstImage& srcMask,
                                   const xcAffineSamplingParams& params, Image& dst,
                                   Image& dstMask) {
    if (dst.isBound()) throw xcOCDefs::BadParams("The output image must be unbound.");
    if (dstMask.isBound()) throw xcOCDefs::BadParams("The output mask must be unbound.");
    if (srcMask.isBound() && srcMask.window() != src.window())
        throw xcOCDefs::BadParams("The mask window must be equal to the image window.");

    ConstImage mask = srcMask;
    mask.imageFromClientXform(src.imageFromClientXform());

    Image outImage, outMask;
    if (!params.willClip(src) && (!mask.isBound() || !params.willClip(mask))) {
        xfAffineTransformImage(src, params, outImage);
        if (mask.isBound()) xfAffineTransformImage(mask, params, outMask);
    } else {
        const xcRect e = imageBox(params.affineRectangle(), src);
        const double x = std::floor(e.x() - kClipMargin), y = std::floor(e.y() - kClipMargin);
        const double w = std::ceil(e.width() + 2 * kClipMargin);
        const double h = std::ceil(e.height() + 2 * kClipMargin);
        // Checked in doubles: a rectangle far off the image would not fit the pel coordinates.
        if (!(w * h <= double(kMaxPaddedPels)))
            throw xcOCDefs::BadParams("The sampled region is too large.");
        if (!(std::abs(x) <= kMaxPaddedPosition && std::abs(y) <= kMaxPaddedPosition))
            throw xcOCDefs::BadParams("The sampled region lies too far from the image.");
        const xcPelRect p(static_cast<long>(x), static_cast<long>(y), static_cast<long>(w),
                          static_cast<long>(h));
        ConstImage paddedImage, paddedMask;
        padToRect(src, mask, p, paddedImage, paddedMask);
        xfAffineTransformImage(paddedImage, params, outImage);
        if (paddedMask.isBound()) {
            xcAffineSamplingParams maskParams = params;
            maskParams.interpolation(xcAffineSamplingParams::Interpolation(2));
            xfAffineTransformImage(paddedMask, maskParams, outMask);
        }
    }
    dst = outImage;
    dstMask = outMask;
}

namespace {

// What the worker of xf_AffineTransform needs before it allocates anything.
struct TurnFrame {
    xcMatrix<2> minv;
    xcAffineRectangle r; // the output frame, image coordinates
    long width = 0, height = 0;
};

TurnFrame turnFrame(const xcPelRect& w, xcRadian angle, double scale) {
    TurnFrame f;
    f.minv = xcMatrix<2>(angle, angle, scale, scale).inverse();
    const xcVector<2> c = (w.ul() + w.lr()) * 0.5;
    const xcMatrix<2> turn(-f.minv.xRot(), -f.minv.yRot(), 1.0, 1.0);
    const xcMatrix<2> back(f.minv.xRot(), f.minv.yRot(), 1.0, 1.0);
    double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    for (const xcVector<2>& p : {w.ul(), w.ur(), w.ll(), w.lr()}) {
        const xcVector<2> q = c + turn * (p - c);
        x0 = std::min(x0, q.x());
        y0 = std::min(y0, q.y());
        x1 = std::max(x1, q.x());
        y1 = std::max(y1, q.y());
    }
    auto unturn = [&](double x, double y) { return c + back * (xcVector<2>(x, y) - c); };
    f.r = xcAffineRectangle(unturn(x0, y0), unturn(x1, y0), unturn(x0, y1));
    const double lx = f.r.xLength() / f.minv.xScale();
    const double ly = f.r.yLength() / f.minv.yScale();
    if (!(std::min(lx, ly) >= 0.5 && std::max(lx, ly) < 32767.0))
        throw xcOCDefs::BadParams("The output size must be between 0.5 and 32767 pels.");
    f.width = static_cast<long>(lx + 0.5);
    f.height = static_cast<long>(ly + 0.5);
    return f;
}

void affineTransform(const ConstImage& src, const ConstImage* mask, xcRadian angle, double scale,
                     Image& dst, Image* dstMask,
                     xcAffineSamplingParams::Interpolation imageInterpolation,
                     xcAffineSamplingParams::Interpolation maskInterpolation) {
    if (!(std::isfinite(scale) && scale > 0.0))
        throw xcOCDefs::BadParams("The scale must be a finite number > 0.");
    if (!std::isfinite(angle.toDouble()))
        throw xcOCDefs::BadParams("The angle must be a finite number.");
    if (!src.isBound() || src.window().isNull())
        throw xcOCDefs::BadParams("The source image must be bound and not empty.");
    const xcPelRect w = src.window();
    if (mask && mask->isBound() && mask->window() != w)
        throw xcOCDefs::BadParams("The mask window must be equal to the image window.");
    const TurnFrame f = turnFrame(w, angle, scale);

    // Canvas B: the frame's pels and a margin, 0 except for W and its mirror-padded margin G.
    const xcPelRect k =
        f.r.encloseImageRect(xcXform<2>())
            .trim(-kCanvasMargin, -kCanvasMargin, -kCanvasMargin, -kCanvasMargin, false);
    Image b(k, 32);
    b.clientFromImageXform(src.clientFromImageXform());
    xfPelSet(b, 0);
    const xcPelRect g =
        w.trim(-kCanvasMargin, -kCanvasMargin, -kCanvasMargin, -kCanvasMargin, false);
    Image gBuf(g, 32);
    gBuf.clientFromImageXform(src.clientFromImageXform());
    ConstImage root = src;
    root.setEntire();
    const xcPelRect held = g.intersect(root.window());
    copyPart(root, gBuf, held);
    xf_OCMirrorPad(gBuf, held);
    copyPart(gBuf, b, g);

    // The sampling rectangle: the output's pels spaced by Minv's scales, turned by its rotation,
    // centred on W's centre, in B's client coordinates.
    xcAffineRectangle rect(xcVector<2>(), double(f.width) * f.minv.xScale(),
                           double(f.height) * f.minv.yScale(), f.minv.xRot(),
                           f.minv.yRot() - f.minv.xRot());
    rect.centre((w.ul() + w.lr()) * 0.5);
    const xcAffineRectangle clientRect = rect.map(b.clientFromImage());
    const xcAffineSamplingParams params(clientRect, static_cast<short>(f.width),
                                        static_cast<short>(f.height), imageInterpolation);
    Image outImage;
    xfAffineTransformImage(b, params, outImage);

    Image outMask;
    if (dstMask) {
        Image m(k, 32);
        xfPelSet(m, 255);
        if (mask && mask->isBound()) {
            copyPart(*mask, m, w);
        } else {
            Image inner = m;
            inner.window(w);
            xfPelSet(inner, 0);
        }
        m.clientFromImageXform(b.clientFromImageXform());
        const xcAffineSamplingParams maskParams(clientRect, static_cast<short>(f.width),
                                                static_cast<short>(f.height), maskInterpolation);
        Image sampled;
        xfAffineTransformImage(m, maskParams, sampled);
        unsigned char table[256];
        for (int i = 0; i < 256; ++i) table[i] = i < 128 ? 0 : 255;
        xfPelMap(sampled, table, outMask);
    }
    dst = outImage;
    if (dstMask) *dstMask = outMask;
}

} // namespace

void xf_AffineTransform(const ConstImage& src, const ConstImage& mask, xcRadian angle, double scale,
                        Image& dst, Image& dstMask,
                        xcAffineSamplingParams::Interpolation imageInterpolation,
                        xcAffineSamplingParams::Interpolation maskInterpolation) {
    affineTransform(src, &mask, angle, scale, dst, &dstMask, imageInterpolation, maskInterpolation);
}

void xf_AffineTransform(const ConstImage& src, xcRadian angle, double scale, Image& dst,
                        xcAffineSamplingParams::Interpolation interpolation) {
    affineTransform(src, nullptr, angle, scale, dst, nullptr, interpolation, interpolation);
}
