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

// The storage (response maps and directions) of edge data dropped from the cache, kept for the
// next image: fresh pages cost a page fault each, which on some virtual machines is dearer than
// the work done on them. At most kMaxFree buffers of kMaxFreeBytes in all are kept (the oldest go
// first, the newest always stays): a count alone let six 80 MB buffers of 2048 x 2048 images
// pile up once their edge levels were built within a caller's time limit.
class BufferPool {
public:
    ByteBuffer take(std::size_t size) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::size_t best = free_.size();
        for (std::size_t i = 0; i < free_.size(); ++i)
            if (free_[i].capacity() >= size &&
                (best == free_.size() || free_[i].capacity() < free_[best].capacity()))
                best = i;
        if (best == free_.size()) return {};
        ByteBuffer v = std::move(free_[best]);
        free_.erase(free_.begin() + long(best));
        return v;
    }
    void give(ByteBuffer&& v) {
        if (v.capacity() == 0) return;
        std::lock_guard<std::mutex> lock(mutex_);
        free_.push_back(std::move(v));
        std::size_t bytes = 0;
        for (const ByteBuffer& b : free_) bytes += b.capacity();
        while (free_.size() > 1 && (free_.size() > kMaxFree || bytes > kMaxFreeBytes)) {
            bytes -= free_.front().capacity();
            free_.erase(free_.begin());
        }
    }

private:
    static constexpr std::size_t kMaxFree = 6;
    static constexpr std::size_t kMaxFreeBytes = std::size_t(128) << 20;
    std::mutex mutex_;
    std::vector<ByteBuffer> free_;
};

BufferPool& pool() {
    static BufferPool* p = new BufferPool; // never destroyed: edge data may outlive statics
    return *p;
}

// Level rows handled between two polls while direction bits, their spreading and the responses
// are built in one pass: on a 2048-pel level 8 rows write about 256 kB of response maps, whose
// fresh pages on a busy virtual machine cost up to 20 us each.
constexpr long kEdgePollRows = 8;

static_assert(kCell == 2, "the responses split a row into its even and odd pels");

std::uint16_t rotl16(std::uint16_t m, int k) {
    return std::uint16_t((m << k) | (m >> (16 - k)));
}

// std::lround for the components of a unit direction (|v| <= 127): halves go away from zero.
// Written with a truncation and a comparison of the exact remainder so that the loop vectorises.
int roundHalfAway(float v) {
    const int i = int(v);
    const float rest = v - float(i);
    return i + int(rest >= 0.5f) - int(rest <= -0.5f);
}

// One row's direction bits (the bit of the gradient's sector where the gradient reaches the noise
// threshold, else none) and unit directions (x, y times 127; 0, 0 without a bit). Every pel's
// values are computed and those of weak pels masked off, so that the loop has no branches.
XC_ALIGN_HOT void directionRow(const std::int16_t* gx, const std::int16_t* gy, long w, float t2,
                               std::uint16_t* bits, std::int8_t* dir) {
    for (long x = 0; x < w; ++x) {
        const float fx = float(gx[x]), fy = float(gy[x]);
        const float m2 = fx * fx + fy * fy;
        const int on = -int(m2 >= t2);
        // A weak pel's m2 is raised by 1 to keep a zero gradient's direction finite (a select
        // there kept the loop from vectorising); a strong pel's is left as it is.
        const float inv = 127.0f / std::sqrt(m2 + float(on + 1));
        bits[x] = std::uint16_t((1 << directionBin(gx[x], gy[x])) & on);
        dir[2 * x] = std::int8_t(roundHalfAway(fx * inv) & on);
        dir[2 * x + 1] = std::int8_t(roundHalfAway(fy * inv) & on);
    }
}

// Clears the bits and directions of the pels a mask row does not care for.
void clearMasked(const std::uint8_t* mask, long w, std::uint16_t* bits, std::int8_t* dir) {
    for (long x = 0; x < w; ++x)
        if (mask[x] == 0) {
            bits[x] = 0;
            dir[2 * x] = dir[2 * x + 1] = 0;
        }
}

// ORs each pel's bits with its left and right neighbours' (borders replicated).
XC_ALIGN_HOT void orAcross(const std::uint16_t* s, long w, std::uint16_t* d) {
    if (w == 1) {
        d[0] = s[0];
        return;
    }
    d[0] = std::uint16_t(s[0] | s[1]);
    for (long x = 1; x < w - 1; ++x) d[x] = std::uint16_t(s[x - 1] | s[x] | s[x + 1]);
    d[w - 1] = std::uint16_t(s[w - 2] | s[w - 1]);
}

// The OR of three rows, split into its even and odd pels.
XC_ALIGN_HOT void orDownSplit(const std::uint16_t* a, const std::uint16_t* b,
                              const std::uint16_t* c, long n, std::uint16_t* even,
                              std::uint16_t* odd) {
    const long half = n / 2;
    for (long i = 0; i < half; ++i) {
        even[i] = std::uint16_t(a[2 * i] | b[2 * i] | c[2 * i]);
        odd[i] = std::uint16_t(a[2 * i + 1] | b[2 * i + 1] | c[2 * i + 1]);
    }
    if (n & 1) even[half] = std::uint16_t(a[n - 1] | b[n - 1] | c[n - 1]);
}

// The bits of the sectors next to each set bit (m1) and two sectors away (m2).
XC_ALIGN_HOT void neighbourBits(const std::uint16_t* m, long n, std::uint16_t* m1,
                                std::uint16_t* m2) {
    for (long i = 0; i < n; ++i) {
        m1[i] = std::uint16_t(rotl16(m[i], 1) | rotl16(m[i], 15));
        m2[i] = std::uint16_t(rotl16(m[i], 2) | rotl16(m[i], 14));
    }
}

// Splits sector bits into the bytes of sectors 0-7 and 8-15: byte rows let the responses be
// computed 32 pels at a time.
XC_ALIGN_HOT void splitBytes(const std::uint16_t* v, long n, std::uint8_t* low,
                             std::uint8_t* high) {
    for (long i = 0; i < n; ++i) {
        low[i] = std::uint8_t(v[i]);
        high[i] = std::uint8_t(v[i] >> 8);
    }
}

// One row of responses of the sector whose bit is `bit` in the byte rows of the spread bits m,
// their neighbouring sectors' m1 and the sectors two away m2: 4 where m has it, else 3 where m1
// has it, else 1 where m2 has it, else 0.
XC_ALIGN_HOT void responseRow(const std::uint8_t* m, const std::uint8_t* m1, const std::uint8_t* m2,
                              std::uint8_t bit, long n, std::uint8_t* out) {
    for (long i = 0; i < n; ++i) {
        const bool at = (m[i] & bit) != 0, next = (m1[i] & bit) != 0, far = (m2[i] & bit) != 0;
        out[i] = std::uint8_t(at ? 4 : next ? 3 : far ? 1 : 0);
    }
}

// Zeroes the map rows that no level row writes: the pad rows above and below, and the last cell
// row of the odd phase when the level's height is odd.
void clearPadRows(ResponseMaps& r, long h, const std::function<void()>& poll) {
    for (int b = 0; b < kBins; ++b)
        for (int py = 0; py < kCell; ++py)
            for (int px = 0; px < kCell; ++px) {
                poll();
                std::uint8_t* map = r.map(b, py, px);
                const long written = (h - py + 1) / kCell;
                std::memset(map, 0, std::size_t(kPadCells * r.stride));
                std::memset(map + (kPadCells + written) * r.stride, 0,
                            std::size_t((r.rows - kPadCells - written) * r.stride));
            }
}

// Writes level row y's responses, from its spread bits (the OR of the horizontally spread rows
// a, b, c around it), into the maps of its pel phases, zeroing the pad cells left and right.
void writeResponses(const std::uint16_t* a, const std::uint16_t* b, const std::uint16_t* c, long w,
                    long y, ResponseMaps& r, std::vector<std::uint16_t>& words,
                    std::vector<std::uint8_t>& bytes) {
    const long half = (w + 1) / 2;
    words.resize(std::size_t(4 * half));
    bytes.resize(std::size_t(6 * half));
    std::uint16_t* phase[kCell] = {words.data(), words.data() + half};
    std::uint16_t* m1 = words.data() + 2 * half;
    std::uint16_t* m2 = words.data() + 3 * half;
    orDownSplit(a, b, c, w, phase[0], phase[1]);
    const int py = int(y % kCell);
    const long cy = y / kCell + kPadCells;
    for (int px = 0; px < kCell; ++px) {
        const long n = (w - px + 1) / kCell;
        neighbourBits(phase[px], n, m1, m2);
        // Byte rows: sectors 0-7 of m, m1, m2, then sectors 8-15 of them.
        std::uint8_t* by = bytes.data();
        splitBytes(phase[px], n, by, by + 3 * n);
        splitBytes(m1, n, by + n, by + 4 * n);
        splitBytes(m2, n, by + 2 * n, by + 5 * n);
        for (int bin = 0; bin < kBins; ++bin) {
            const std::uint8_t* m = by + (bin / 8) * 3 * n;
            const std::uint8_t bit = std::uint8_t(1u << (bin % 8));
            std::uint8_t* row = r.map(bin, py, px) + cy * r.stride;
            std::memset(row, 0, kPadCells);
            responseRow(m, m + n, m + 2 * n, bit, n, row + kPadCells);
            std::memset(row + kPadCells + n, 0, std::size_t(r.stride - kPadCells - n));
        }
    }
}

} // namespace

EdgeLevel::~EdgeLevel() {
    pool().give(std::move(storage));
}

std::shared_ptr<const EdgeLevel> buildEdgeLevel(const GreyPlane& grey, const GreyPlane* mask,
                                                const std::function<void()>& poll) {
    auto e = std::make_shared<EdgeLevel>();
    const long w = grey.width, h = grey.height;
    poll();
    e->threshold = noiseThreshold(grey.view(), kMinEdge, kMaxEdge, poll);
    const float t2 = e->threshold * e->threshold;

    // The response maps and then the directions, in a buffer left unzeroed: every map cell a
    // level row writes and every direction is written below; the other cells (pads, and cells
    // past an odd width or height) are zeroed here and row by row.
    ResponseMaps& r = e->resp;
    r.cellsW = (w + kCell - 1) / kCell;
    r.cellsH = (h + kCell - 1) / kCell;
    r.stride = r.cellsW + 2 * kPadCells;
    r.rows = r.cellsH + 2 * kPadCells;
    const std::size_t size = r.size() + std::size_t(2 * w * h);
    e->storage = pool().take(size);
    e->storage.resize(size);
    r.data = e->storage.data();
    e->dir.width = 2 * w;
    e->dir.height = h;
    // Signed views of the buffer's bytes.
    e->dir.px = reinterpret_cast<std::int8_t*>(e->storage.data() + r.size());
    clearPadRows(r, h, poll);

    // One pass over the rows: a row's gradients (computed again: keeping them from the noise
    // threshold's pass would mean planes of fresh memory) give its direction bits, which are
    // spread across at once, and the row above it, whose neighbours are then known, is spread
    // down and written as responses. Only the last three rows of spread bits are kept
    // (ring[y % 3]).
    const std::size_t n = static_cast<std::size_t>(w);
    std::vector<std::int16_t> gx(n), gy(n);
    std::vector<std::uint16_t> bits(n), ring(3 * n), words;
    std::vector<std::uint8_t> bytes;
    auto ringRow = [&](long y) { return ring.data() + (y % 3) * w; };
    for (long y = 0; y <= h && h > 0; ++y) {
        if (y % kEdgePollRows == 0) poll();
        if (y < h) {
            sobelRow(grey.view(), y, gx.data(), gy.data());
            directionRow(gx.data(), gy.data(), w, t2, bits.data(), e->dir.row(y));
            if (mask) clearMasked(mask->row(y), w, bits.data(), e->dir.row(y));
            orAcross(bits.data(), w, ringRow(y));
        }
        if (y >= 1) {
            const long c = y - 1;
            writeResponses(ringRow(std::max(c - 1, 0L)), ringRow(c),
                           ringRow(std::min(c + 1, h - 1)), w, c, r, words, bytes);
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
