#include "align/detail/pyramid.h"

#include "align/detail/simd.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace xc_align {

namespace {

// Source rows handled between two polls of the caller's time limit.
constexpr long kPollRows = 64;

// Horizontal pass of one row: t[i] = s[2i-1] + 3 s[2i] + 3 s[2i+1] + s[2i+2] (sum of weights 8),
// borders replicated.
XC_ALIGN_HOT void halveRow(const std::uint8_t* s, long width, long outW, std::uint16_t* t) {
    const long last = width - 1;
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

// Horizontal pass of smooth121 on one row: t[x] = s[x-1] + 2 s[x] + s[x+1], borders replicated.
XC_ALIGN_HOT void smoothRow(const std::uint8_t* s, long w, std::uint16_t* t) {
    if (w == 1) {
        t[0] = std::uint16_t(4 * s[0]);
        return;
    }
    t[0] = std::uint16_t(3 * s[0] + s[1]);
    for (long x = 1; x < w - 1; ++x) t[x] = std::uint16_t(s[x - 1] + 2 * s[x] + s[x + 1]);
    t[w - 1] = std::uint16_t(s[w - 2] + 3 * s[w - 1]);
}

} // namespace

GreyPlane halve(const GreyView& src, const std::function<void()>& poll) {
    const long w = src.width / 2, h = src.height / 2;
    if (w <= 0 || h <= 0) return GreyPlane();
    // Output row j reads the horizontal pass of source rows 2j - 1 .. 2j + 2 (clamped), which
    // are kept in a ring of four rows (source row y at y % 4) rather than as a plane.
    std::vector<std::uint16_t> ring(std::size_t(4 * w));
    auto ringRow = [&](long y) { return ring.data() + (y % 4) * w; };
    long done = 0; // source rows passed horizontally so far
    GreyPlane out = GreyPlane::reserved(w, h);
    const long last = src.height - 1;
    for (long j = 0; j < h; ++j) {
        if (j % (kPollRows / 2) == 0) {
            poll();
            out.growTo(std::min(h, j + kPollRows / 2));
        }
        const long y = 2 * j;
        for (; done <= std::min(y + 2, last); ++done)
            halveRow(src.row(done), src.width, w, ringRow(done));
        const std::uint16_t* r0 = ringRow(std::max(y - 1, 0L));
        const std::uint16_t* r1 = ringRow(y);
        const std::uint16_t* r2 = ringRow(std::min(y + 1, last));
        const std::uint16_t* r3 = ringRow(std::min(y + 2, last));
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
    // Row y reads the horizontal pass of rows y - 1 .. y + 1 (clamped), kept in a ring of three
    // rows (row y at y % 3) rather than as a plane.
    std::vector<std::uint16_t> ring(std::size_t(3 * w));
    auto ringRow = [&](long y) { return ring.data() + (y % 3) * w; };
    smoothRow(src.row(0), w, ringRow(0));
    for (long y = 0; y < h; ++y) {
        if (y % kPollRows == 0) {
            poll();
            out.growTo(std::min(h, y + kPollRows));
        }
        if (y + 1 < h) smoothRow(src.row(y + 1), w, ringRow(y + 1));
        const std::uint16_t* a = ringRow(std::max(y - 1, 0L));
        const std::uint16_t* b = ringRow(y);
        const std::uint16_t* c = ringRow(std::min(y + 1, h - 1));
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
