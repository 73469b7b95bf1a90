#include "align/detail/pyramid.h"

#include <algorithm>

namespace xc_align {

namespace {

// Source rows handled between two polls of the caller's time limit.
constexpr long kPollRows = 64;

// Horizontal pass: out[y][i] = s[2i-1] + 3 s[2i] + 3 s[2i+1] + s[2i+2] (sum of weights 8).
void halveRows(const GreyView& src, long outW, std::vector<std::uint16_t>& tmp,
               const std::function<void()>& poll) {
    // Grown a band at a time, so that its fresh pages are touched between polls.
    tmp.clear();
    tmp.reserve(std::size_t(outW * src.height));
    const long last = src.width - 1;
    for (long y = 0; y < src.height; ++y) {
        if (y % kPollRows == 0) {
            poll();
            tmp.resize(std::size_t(outW * std::min(src.height, y + kPollRows)));
        }
        const std::uint8_t* s = src.row(y);
        std::uint16_t* t = tmp.data() + y * outW;
        // Interior pels read 2i - 1 .. 2i + 2 without clamping.
        const long i0 = 1, i1 = std::max(i0, (last - 2) / 2 + 1);
        for (long i = 0; i < std::min(i0, outW); ++i) {
            const long x = 2 * i;
            t[i] = std::uint16_t(s[std::max(x - 1, 0L)] + 3 * s[x] + 3 * s[std::min(x + 1, last)] +
                                 s[std::min(x + 2, last)]);
        }
        for (long i = i0; i < std::min(i1, outW); ++i) {
            const std::uint8_t* p = s + 2 * i - 1;
            t[i] = std::uint16_t(p[0] + 3 * p[1] + 3 * p[2] + p[3]);
        }
        for (long i = std::max(i0, i1); i < outW; ++i) {
            const long x = 2 * i;
            t[i] = std::uint16_t(s[x - 1] + 3 * s[x] + 3 * s[std::min(x + 1, last)] +
                                 s[std::min(x + 2, last)]);
        }
    }
}

} // namespace

GreyPlane halve(const GreyView& src, const std::function<void()>& poll) {
    const long w = src.width / 2, h = src.height / 2;
    if (w <= 0 || h <= 0) return GreyPlane();
    std::vector<std::uint16_t> tmp;
    halveRows(src, w, tmp, poll);
    GreyPlane out = GreyPlane::reserved(w, h);
    const long last = src.height - 1;
    for (long j = 0; j < h; ++j) {
        if (j % kPollRows == 0) {
            poll();
            out.growTo(std::min(h, j + kPollRows));
        }
        const long y = 2 * j;
        const std::uint16_t* r0 = tmp.data() + std::max(y - 1, 0L) * w;
        const std::uint16_t* r1 = tmp.data() + y * w;
        const std::uint16_t* r2 = tmp.data() + std::min(y + 1, last) * w;
        const std::uint16_t* r3 = tmp.data() + std::min(y + 2, last) * w;
        std::uint8_t* o = out.row(j);
        for (long i = 0; i < w; ++i)
            o[i] = std::uint8_t((r0[i] + 3 * r1[i] + 3 * r2[i] + r3[i] + 32) >> 6);
    }
    return out;
}

std::vector<GreyPlane> buildPyramid(const GreyView& src, int numLevels,
                                    const std::function<void()>& poll) {
    std::vector<GreyPlane> levels;
    GreyPlane base = GreyPlane::reserved(src.width, src.height);
    for (long y = 0; y < src.height; ++y) {
        if (y % kPollRows == 0) {
            poll();
            base.growTo(std::min(src.height, y + kPollRows));
        }
        std::copy(src.row(y), src.row(y) + src.width, base.row(y));
    }
    levels.push_back(std::move(base));
    while (int(levels.size()) < numLevels) {
        GreyPlane next = halve(levels.back().view(), poll);
        if (next.px.empty()) break;
        levels.push_back(std::move(next));
    }
    return levels;
}

GreyPlane smooth121(const GreyView& src, const std::function<void()>& poll) {
    const long w = src.width, h = src.height;
    GreyPlane out = GreyPlane::reserved(w, h);
    if (w == 0 || h == 0) return out;
    Plane<std::uint16_t> tmp = Plane<std::uint16_t>::reserved(w, h);
    for (long y = 0; y < h; ++y) {
        if (y % kPollRows == 0) {
            poll();
            tmp.growTo(std::min(h, y + kPollRows));
        }
        const std::uint8_t* s = src.row(y);
        std::uint16_t* t = tmp.row(y);
        for (long x = 0; x < w; ++x)
            t[x] = std::uint16_t(s[std::max(x - 1, 0L)] + 2 * s[x] + s[std::min(x + 1, w - 1)]);
    }
    for (long y = 0; y < h; ++y) {
        if (y % kPollRows == 0) {
            poll();
            out.growTo(std::min(h, y + kPollRows));
        }
        const std::uint16_t* a = tmp.row(std::max(y - 1, 0L));
        const std::uint16_t* b = tmp.row(y);
        const std::uint16_t* c = tmp.row(std::min(y + 1, h - 1));
        std::uint8_t* o = out.row(y);
        for (long x = 0; x < w; ++x) o[x] = std::uint8_t((a[x] + 2 * b[x] + c[x] + 8) >> 4);
    }
    return out;
}

GreyPlane halveMask(const GreyView& src) {
    GreyPlane m = halve(src);
    for (std::uint8_t& v : m.px) v = v >= 128 ? 255 : 0;
    return m;
}

} // namespace xc_align
