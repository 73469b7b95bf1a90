#include "oc/imageutil/mark_rect.h"

#include "core/image/pel_ops.h"
#include "imgproc/threshold.h"

#include <algorithm>
#include <array>

namespace {

using ConstImage = xcPelBuffer_const<unsigned char>;

bool validPolarity(xcOCDefs::Polarity p) {
    return p == xcOCDefs::eDarkOnLight || p == xcOCDefs::eLightOnDark ||
           p == xcOCDefs::eUnknownPolarity;
}

// The pels of the region, addressed by image coordinates: the image's and the mask's pels at the
// same position belong together whatever their windows.
class Region {
public:
    Region(const ConstImage& image, const ConstImage& mask, const xcPelRect& rect)
        : image_(image), mask_(mask), hasMask_(mask.isBound()),
          box_(hasMask_ ? rect.intersect(mask.window()) : rect), imageWin_(image.window()),
          maskWin_(hasMask_ ? mask.window() : xcPelRect()) {}

    const xcPelRect& box() const { return box_; }
    unsigned char grey(long x, long y) const {
        return *image_.pointToPel(x - imageWin_.x(), y - imageWin_.y());
    }
    bool cared(long x, long y) const {
        return !hasMask_ || *mask_.pointToPel(x - maskWin_.x(), y - maskWin_.y()) >= 128;
    }
    bool hasMask() const { return hasMask_; }

private:
    const ConstImage& image_;
    const ConstImage& mask_;
    bool hasMask_;
    xcPelRect box_, imageWin_, maskWin_;
};

// The threshold of the image part rect, counting only the pels whose mask pel at the same image
// position is cared for; mask pels missing from the mask's window count as not cared for.
xcThresholdResult threshold(const ConstImage& image, const ConstImage& mask,
                            const xcPelRect& rect) {
    ConstImage part = image;
    part.window(rect);
    if (!mask.isBound()) return xfThresholdWGV(part);
    if (mask.window().contains(rect)) {
        ConstImage maskPart = mask;
        maskPart.window(rect);
        return xfThresholdWGV(part, maskPart);
    }
    xcPelBuffer<unsigned char> cover(rect);
    xfPelSet(cover, 0);
    const xcPelRect common = rect.intersect(mask.window());
    if (!common.isNull()) {
        ConstImage from = mask;
        from.window(common);
        xcPelBuffer<unsigned char> to = cover;
        to.window(common);
        xfPelCopy(from, to);
    }
    return xfThresholdWGV(part, cover);
}

// The polarity the region's border tells: the border is background.
xcOCDefs::Polarity borderPolarity(const Region& reg, long t) {
    std::array<long, 256> hist{};
    const xcPelRect& b = reg.box();
    const long x0 = b.x(), y0 = b.y(), x1 = b.right() - 1, y1 = b.bottom() - 1;
    if (!reg.hasMask()) {
        for (long x = x0; x <= x1; ++x) {
            ++hist[reg.grey(x, y0)];
            ++hist[reg.grey(x, y1)];
        }
        for (long y = y0; y <= y1; ++y) {
            ++hist[reg.grey(x0, y)];
            ++hist[reg.grey(x1, y)];
        }
    } else {
        for (long y = y0; y <= y1; ++y) {
            long first = x0;
            while (first <= x1 && !reg.cared(first, y)) ++first;
            if (first > x1) continue;
            long last = x1;
            while (!reg.cared(last, y)) --last;
            ++hist[reg.grey(first, y)];
            if (last != first) ++hist[reg.grey(last, y)];
        }
        for (long x = x0; x <= x1; ++x) {
            long first = y0;
            while (first <= y1 && !reg.cared(x, first)) ++first;
            if (first > y1) continue;
            long last = y1;
            while (!reg.cared(x, last)) --last;
            ++hist[reg.grey(x, first)];
            if (last != first) ++hist[reg.grey(x, last)];
        }
    }
    long below = 0, above = 0;
    for (long g = 0; g < 256; ++g) (g < t ? below : above) += hist[g];
    if (below == above) return xcOCDefs::eUnknownPolarity;
    return below < above ? xcOCDefs::eDarkOnLight : xcOCDefs::eLightOnDark;
}

xcVector<2> toClient(const ConstImage& image, const xcVector<2>& p) {
    return image.clientFromImageXform()->mapPoint(p);
}

xcVector<2> imageLowerLeft(const ConstImage& image, const xcPelRect& rect) {
    return toClient(image, rect.ll());
}

} // namespace

bool xf_DetectMarkRect_(const ConstImage& image, const xcPelRect& rect, const ConstImage& mask,
                        bool isBlank, xcOCDefs::Polarity polarity, xcRect& markRect) {
    if (isBlank) {
        markRect = xcRect();
        return false;
    }
    if (!image.isBound()) throw xcOCDefs::BadParams("The image must be bound.");
    if (!image.window().contains(rect))
        throw xcOCDefs::BadParams("The rectangle must lie inside the image window.");
    if (!validPolarity(polarity)) throw xcOCDefs::BadParams("Illegal polarity");
    markRect = xcRect();

    const xcThresholdResult thr = threshold(image, mask, rect);
    const long t = thr.threshold();
    const Region reg(image, mask, rect);
    xcOCDefs::Polarity p = polarity;
    if (p == xcOCDefs::eUnknownPolarity && thr.score() > 0.0) p = borderPolarity(reg, t);
    if (p == xcOCDefs::eUnknownPolarity) return false;

    std::array<bool, 256> isMark{};
    for (long g = 0; g < 256; ++g) isMark[g] = p == xcOCDefs::eLightOnDark ? g >= t : g < t;
    auto qualifies = [&](long x, long y) { return isMark[reg.grey(x, y)] && reg.cared(x, y); };
    const xcPelRect& b = reg.box();
    if (b.isNull()) return false;
    const long x0 = b.x(), y0 = b.y(), x1 = b.right() - 1, y1 = b.bottom() - 1;
    auto rowHas = [&](long y) {
        for (long x = x0; x <= x1; ++x)
            if (qualifies(x, y)) return true;
        return false;
    };
    auto columnHas = [&](long x, long top, long bottom) {
        for (long y = top; y <= bottom; ++y)
            if (qualifies(x, y)) return true;
        return false;
    };

    long bottom = y1;
    while (bottom >= y0 && !rowHas(bottom)) --bottom;
    if (bottom < y0) return false;
    long left = x0;
    while (!columnHas(left, y0, bottom)) ++left;
    long top = y0;
    while (!rowHas(top)) ++top;
    long right = x1;
    while (!columnHas(right, top, y1)) --right;

    const xcVector<2> ll = toClient(image, xcVector<2>(double(left), double(bottom + 1)));
    const xcVector<2> ur = toClient(image, xcVector<2>(double(right + 1), double(top)));
    markRect = xfRectFromCorners(ll, ur);
    return true;
}

bool xf_computeOriginImageCenter_(const ConstImage& image, const xcPelRect& rect, const ConstImage&,
                                  xcVector<2>& origin) {
    origin = toClient(image, xcVector<2>(double(rect.x()) + 0.5 * double(rect.width()),
                                         double(rect.y()) + 0.5 * double(rect.height())));
    return true;
}

bool xf_computeOriginImageLowerLeft_(const ConstImage& image, const xcPelRect& rect,
                                     const ConstImage&, xcVector<2>& origin) {
    origin = imageLowerLeft(image, rect);
    return true;
}

bool xf_computeOriginDetectedMarkLowerLeft_(const ConstImage& image, const xcPelRect& rect,
                                            const ConstImage& mask, bool isBlank,
                                            bool hasDetectedMark, const xcRect& detectedMark,
                                            xcOCDefs::Polarity polarity, xcVector<2>& origin) {
    if (!image.isBound() || isBlank) {
        origin = imageLowerLeft(image, rect);
        return false;
    }
    if (hasDetectedMark) {
        if (detectedMark.degen()) {
            origin = imageLowerLeft(image, rect);
            return false;
        }
        origin = detectedMark.ll();
        return true;
    }
    xcRect found;
    if (xf_DetectMarkRect_(image, rect, mask, isBlank, polarity, found)) {
        origin = found.ll();
        return true;
    }
    origin = imageLowerLeft(image, rect);
    return false;
}

bool xf_computeOriginSpecifiedMarkLowerLeft_(const ConstImage& image, const xcPelRect& rect,
                                             const ConstImage& mask, bool isBlank,
                                             bool hasSpecifiedMark, const xcRect& specifiedMark,
                                             bool hasDetectedMark, const xcRect& detectedMark,
                                             xcOCDefs::Polarity polarity, xcVector<2>& origin) {
    if (!image.isBound() || isBlank) {
        origin = imageLowerLeft(image, rect);
        return false;
    }
    if (hasSpecifiedMark) {
        origin = specifiedMark.ll();
        return true;
    }
    xf_computeOriginDetectedMarkLowerLeft_(image, rect, mask, isBlank, hasDetectedMark,
                                           detectedMark, polarity, origin);
    return false;
}
