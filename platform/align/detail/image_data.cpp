#include "align/detail/image_data.h"

#include "align/detail/pyramid.h"
#include "align/detail/simd.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace xc_align {

namespace {

// Noise thresholds of the Sobel magnitude: never below a step of about 4 grey levels, never
// above one of about 50.
constexpr float kMinEdge = 16.0f;
constexpr float kMaxEdge = 200.0f;

// Rows of a level handled between two polls of the caller's time limit: about half a
// millisecond of work on a 2048-pel row.
constexpr long kPollRows = 32;

// Response map memory of the edge data dropped from the cache, kept for the next image: fresh
// pages cost a page fault each, which on some virtual machines is dearer than the work done on
// them.
class BufferPool {
public:
    std::vector<std::uint8_t> take(std::size_t size) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::size_t best = free_.size();
        for (std::size_t i = 0; i < free_.size(); ++i)
            if (free_[i].capacity() >= size &&
                (best == free_.size() || free_[i].capacity() < free_[best].capacity()))
                best = i;
        if (best == free_.size()) return {};
        std::vector<std::uint8_t> v = std::move(free_[best]);
        free_.erase(free_.begin() + long(best));
        return v;
    }
    void give(std::vector<std::uint8_t>&& v) {
        if (v.capacity() == 0) return;
        std::lock_guard<std::mutex> lock(mutex_);
        if (free_.size() >= kMaxFree) free_.erase(free_.begin());
        free_.push_back(std::move(v));
    }

private:
    static constexpr std::size_t kMaxFree = 6;
    std::mutex mutex_;
    std::vector<std::vector<std::uint8_t>> free_;
};

BufferPool& pool() {
    static BufferPool* p = new BufferPool; // never destroyed: edge data may outlive statics
    return *p;
}

std::uint16_t rotl16(std::uint16_t m, int k) {
    return std::uint16_t((m << k) | (m >> (16 - k)));
}

// ORs each pel's bits over its 3 x 3 neighbourhood (separable: rows, then columns).
std::vector<std::uint16_t> spread3x3(const std::vector<std::uint16_t>& bits, long w, long h,
                                     const std::function<void()>& poll) {
    Plane<std::uint16_t> rowOr = Plane<std::uint16_t>::reserved(w, h);
    Plane<std::uint16_t> out = Plane<std::uint16_t>::reserved(w, h);
    for (long y = 0; y < h; ++y) {
        if (y % kPollRows == 0) {
            poll();
            rowOr.growTo(std::min(h, y + kPollRows));
        }
        const std::uint16_t* s = bits.data() + y * w;
        std::uint16_t* d = rowOr.row(y);
        for (long x = 0; x < w; ++x)
            d[x] = std::uint16_t(s[x] | (x > 0 ? s[x - 1] : 0) | (x + 1 < w ? s[x + 1] : 0));
    }
    for (long y = 0; y < h; ++y) {
        if (y % kPollRows == 0) {
            poll();
            out.growTo(std::min(h, y + kPollRows));
        }
        const std::uint16_t* a = rowOr.row(std::max(y - 1, 0L));
        const std::uint16_t* b = rowOr.row(y);
        const std::uint16_t* c = rowOr.row(std::min(y + 1, h - 1));
        std::uint16_t* d = out.row(y);
        for (long x = 0; x < w; ++x) d[x] = std::uint16_t(a[x] | b[x] | c[x]);
    }
    return std::move(out.px);
}

// One row of responses of bin b from the spread bits m and their rotations by one and two
// sectors (m1 = bits of the neighbouring sectors, m2 = bits two sectors away).
XC_ALIGN_HOT void responseRow(const std::uint16_t* m, const std::uint16_t* m1,
                              const std::uint16_t* m2, int b, long n, std::uint8_t* out) {
    for (long x = 0; x < n; ++x) {
        const int r4 = ((m[x] >> b) & 1) * 4;
        const int r3 = ((m1[x] >> b) & 1) * 3;
        const int r1 = (m2[x] >> b) & 1;
        out[x] = std::uint8_t(std::max(r4, std::max(r3, r1)));
    }
}

// Splits a row into its even and odd pels.
XC_ALIGN_HOT void deinterleave(const std::uint8_t* src, long n, std::uint8_t* even,
                               std::uint8_t* odd) {
    const long half = n / 2;
    for (long i = 0; i < half; ++i) {
        even[i] = src[2 * i];
        odd[i] = src[2 * i + 1];
    }
    if (n & 1) even[half] = src[n - 1];
}

// Sets v to `size` zeros, polling between chunks: the response maps of a 2048-pel image take
// 36 MB, and zeroing fresh pages in one go cost 50-70 ms without a poll. A chunk is 256 kB: on
// a busy virtual machine a fresh page's fault costs up to 20 us, so 1 MB chunks ran 5 ms.
void zeroFill(std::vector<std::uint8_t>& v, std::size_t size, const std::function<void()>& poll) {
    constexpr std::size_t kChunk = std::size_t(1) << 18;
    v.clear();
    v.reserve(size);
    for (std::size_t at = 0; at < size; at += kChunk) {
        poll();
        v.resize(std::min(size, at + kChunk));
    }
}

} // namespace

EdgeLevel::~EdgeLevel() {
    pool().give(std::move(resp.data));
}

std::shared_ptr<const EdgeLevel> buildEdgeLevel(const GreyPlane& grey, const GreyPlane* mask,
                                                const std::function<void()>& poll) {
    auto e = std::make_shared<EdgeLevel>();
    const long w = grey.width, h = grey.height;
    poll();
    Gradient g = sobel(grey.view(), poll);
    e->threshold = noiseThreshold(g, kMinEdge, kMaxEdge, poll);
    const float t2 = e->threshold * e->threshold;

    // Direction bits and unit directions of the strong, cared-for pels.
    Plane<std::uint16_t> bitPlane = Plane<std::uint16_t>::reserved(w, h);
    std::vector<std::uint16_t>& bits = bitPlane.px;
    e->dir = Plane<std::int8_t>::reserved(2 * w, h);
    for (long y = 0; y < h; ++y) {
        if (y % kPollRows == 0) {
            poll();
            bitPlane.growTo(std::min(h, y + kPollRows));
            e->dir.growTo(std::min(h, y + kPollRows));
        }
        const std::int16_t* gx = g.gx.row(y);
        const std::int16_t* gy = g.gy.row(y);
        const std::uint8_t* mk = mask ? mask->row(y) : nullptr;
        std::int8_t* d = e->dir.row(y);
        for (long x = 0; x < w; ++x) {
            const float m2 = float(gx[x]) * gx[x] + float(gy[x]) * gy[x];
            if (m2 < t2 || (mk && mk[x] == 0)) continue;
            bits[std::size_t(y * w + x)] = std::uint16_t(1u << directionBin(gx[x], gy[x]));
            const float inv = 127.0f / std::sqrt(m2);
            d[2 * x] = std::int8_t(std::lround(gx[x] * inv));
            d[2 * x + 1] = std::int8_t(std::lround(gy[x] * inv));
        }
    }

    // The temporaries go back at different polls, the gradients' 16 MB (for a 2048-pel image)
    // here and the bits' 8 MB after their spreading: freed together at the return, they took
    // 3 ms without a poll on a busy virtual machine.
    g = Gradient();
    poll();
    const std::vector<std::uint16_t> m = spread3x3(bits, w, h, poll);
    bitPlane = Plane<std::uint16_t>();
    poll();
    std::vector<std::uint16_t> m1(static_cast<std::size_t>(w)), m2(static_cast<std::size_t>(w));

    ResponseMaps& r = e->resp;
    r.cellsW = (w + kCell - 1) / kCell;
    r.cellsH = (h + kCell - 1) / kCell;
    r.stride = r.cellsW + 2 * kPadCells;
    r.rows = r.cellsH + 2 * kPadCells;
    r.data = pool().take(std::size_t(kBins * kCell * kCell) * r.mapSize());
    zeroFill(r.data, std::size_t(kBins * kCell * kCell) * r.mapSize(), poll);
    std::vector<std::uint8_t> row(std::size_t(w), 0);
    for (long y = 0; y < h; ++y) {
        if (y % kPollRows == 0) poll();
        const long py = y % kCell, cy = y / kCell + kPadCells;
        const std::uint16_t* my = m.data() + std::size_t(y * w);
        for (long x = 0; x < w; ++x) {
            m1[std::size_t(x)] = std::uint16_t(rotl16(my[x], 1) | rotl16(my[x], 15));
            m2[std::size_t(x)] = std::uint16_t(rotl16(my[x], 2) | rotl16(my[x], 14));
        }
        for (int b = 0; b < kBins; ++b) {
            responseRow(my, m1.data(), m2.data(), b, w, row.data());
            std::uint8_t* even = r.map(b, int(py), 0) + cy * r.stride + kPadCells;
            std::uint8_t* odd = r.map(b, int(py), 1) + cy * r.stride + kPadCells;
            deinterleave(row.data(), w, even, odd);
        }
    }
    return e;
}

RunImage::RunImage(const GreyView& image, const GreyView* mask, const std::function<void()>& poll) {
    grey_ = buildPyramid(image, kMaxLevels, poll);
    if (mask) {
        GreyPlane m0(mask->width, mask->height);
        for (long y = 0; y < mask->height; ++y) {
            const std::uint8_t* s = mask->row(y);
            std::uint8_t* d = m0.row(y);
            for (long x = 0; x < mask->width; ++x) d[x] = s[x] >= 128 ? 255 : 0;
        }
        mask_.push_back(std::move(m0));
        while (mask_.size() < grey_.size()) {
            poll();
            mask_.push_back(halveMask(mask_.back().view()));
        }
    }
    edges_.resize(grey_.size());
}

bool RunImage::builtFrom(const GreyView& image, const GreyView* mask) const {
    const GreyPlane& g = grey_.front();
    if (image.width != g.width || image.height != g.height || (mask != nullptr) != !mask_.empty())
        return false;
    for (long y = 0; y < g.height; ++y)
        if (std::memcmp(image.row(y), g.row(y), std::size_t(g.width)) != 0) return false;
    if (!mask) return true;
    const GreyPlane& m = mask_.front();
    if (mask->width != m.width || mask->height != m.height) return false;
    for (long y = 0; y < m.height; ++y) {
        const std::uint8_t* s = mask->row(y);
        const std::uint8_t* d = m.row(y);
        for (long x = 0; x < m.width; ++x)
            if ((s[x] >= 128 ? 255 : 0) != d[x]) return false;
    }
    return true;
}

const GreyPlane* RunImage::smooth0(const std::function<void()>& poll) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!smooth0_)
        smooth0_ = std::make_shared<const GreyPlane>(smooth121(grey_.front().view(), poll));
    return smooth0_.get();
}

std::shared_ptr<const EdgeLevel> RunImage::edges(int level,
                                                 const std::function<void()>& poll) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto& slot = edges_[std::size_t(level)];
    if (!slot) slot = buildEdgeLevel(grey(level), mask(level), poll);
    return slot;
}

} // namespace xc_align
