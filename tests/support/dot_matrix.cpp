#include "support/dot_matrix.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace oc_test {

DotGlyph::DotGlyph(const GlyphImage& glyph, double pitchDivisor, double fill, double dotShare)
    : glyph_(&glyph), pitch_(glyph.inkHeight() / pitchDivisor), radius_(0.5 * dotShare * pitch_) {
    if (!(pitchDivisor >= 2.0) || !(dotShare > 0.0 && dotShare <= 1.0))
        throw std::runtime_error("dot grid out of range");
    const xcVector<2> c = glyph.centre();
    const long nx = long(std::ceil(0.5 * glyph.inkWidth() / pitch_)) + 1;
    const long ny = long(std::ceil(0.5 * glyph.inkHeight() / pitch_)) + 1;
    for (long j = -ny; j <= ny; ++j)
        for (long i = -nx; i <= nx; ++i) {
            const double x = c.x() + double(i) * pitch_, y = c.y() + double(j) * pitch_;
            // Mean ink over the node's cell, 6 x 6 samples.
            double acc = 0;
            for (int b = 0; b < 6; ++b)
                for (int a = 0; a < 6; ++a)
                    acc += glyph.coverage(x + pitch_ * ((a + 0.5) / 6 - 0.5),
                                          y + pitch_ * ((b + 0.5) / 6 - 0.5));
            if (acc / 36.0 >= fill) dots_.emplace_back(x, y);
        }
}

bool DotGlyph::inked(double gx, double gy) const {
    const double r2 = radius_ * radius_;
    for (const xcVector<2>& d : dots_)
        if ((gx - d.x()) * (gx - d.x()) + (gy - d.y()) * (gy - d.y()) <= r2) return true;
    return false;
}

DotScene::DotScene(long width, long height, double paper)
    : w_(width), h_(height), v_(std::size_t(width * height), paper) {
    if (width <= 0 || height <= 0) throw std::runtime_error("scene size must be positive");
}

const Placement& DotScene::place(const DotGlyph& dots, double angleDeg, double scale,
                                 const xcVector<2>& centre, double ink) {
    const GlyphImage& glyph = dots.glyph();
    const xcXform<2> pose = placementPose(glyph, angleDeg, scale, centre);
    const xcXform<2> inv = pose.inverse();
    double box[4];
    placedBox(glyph, pose, box);
    constexpr int kSub = 4;
    for (long y = std::max(0L, long(box[1]) - 1); y < std::min(h_, long(box[3]) + 2); ++y)
        for (long x = std::max(0L, long(box[0]) - 1); x < std::min(w_, long(box[2]) + 2); ++x) {
            int hits = 0;
            for (int b = 0; b < kSub; ++b)
                for (int a = 0; a < kSub; ++a) {
                    const xcVector<2> g =
                        inv.mapPoint(xcVector<2>(x + (a + 0.5) / kSub, y + (b + 0.5) / kSub));
                    hits += dots.inked(g.x(), g.y());
                }
            const double c = double(hits) / (kSub * kSub);
            double& v = v_[std::size_t(y * w_ + x)];
            v = v * (1.0 - c) + ink * c;
        }
    Placement p;
    p.glyph = &glyph;
    p.pose = pose;
    p.angleDeg = angleDeg;
    p.scale = scale;
    p.ink = ink;
    placements_.push_back(p);
    return placements_.back();
}

bool DotScene::fits(const GlyphImage& glyph, const xcXform<2>& pose, double gap,
                    double border) const {
    double b[4];
    placedBox(glyph, pose, b);
    if (b[0] < border || b[1] < border || b[2] > double(w_) - border || b[3] > double(h_) - border)
        return false;
    for (const Placement& p : placements_) {
        double o[4];
        placedBox(*p.glyph, p.pose, o);
        if (b[0] < o[2] + gap && o[0] < b[2] + gap && b[1] < o[3] + gap && o[1] < b[3] + gap)
            return false;
    }
    return true;
}

xcPelBuffer<unsigned char> DotScene::finish(double blurSigma, double noiseSigma,
                                            std::uint64_t seed) const {
    std::vector<double> v = v_;
    if (blurSigma > 0) {
        const long r = long(std::ceil(3.5 * blurSigma));
        std::vector<double> k(std::size_t(2 * r + 1));
        double sum = 0;
        for (long i = -r; i <= r; ++i)
            sum += k[std::size_t(i + r)] = std::exp(-0.5 * double(i * i) / (blurSigma * blurSigma));
        for (double& x : k) x /= sum;
        std::vector<double> t(v.size());
        for (long y = 0; y < h_; ++y)
            for (long x = 0; x < w_; ++x) {
                double acc = 0;
                for (long i = -r; i <= r; ++i)
                    acc += k[std::size_t(i + r)] *
                           v[std::size_t(y * w_ + std::clamp(x + i, 0L, w_ - 1))];
                t[std::size_t(y * w_ + x)] = acc;
            }
        for (long y = 0; y < h_; ++y)
            for (long x = 0; x < w_; ++x) {
                double acc = 0;
                for (long i = -r; i <= r; ++i)
                    acc += k[std::size_t(i + r)] *
                           t[std::size_t(std::clamp(y + i, 0L, h_ - 1) * w_ + x)];
                v[std::size_t(y * w_ + x)] = acc;
            }
    }
    Rng rng(seed);
    xcPelBuffer<unsigned char> img(w_, h_);
    for (long y = 0; y < h_; ++y) {
        unsigned char* row = img.rowPointer(y);
        for (long x = 0; x < w_; ++x) {
            double val = v[std::size_t(y * w_ + x)];
            if (noiseSigma > 0) val += noiseSigma * rng.normal();
            row[x] = static_cast<unsigned char>(std::clamp(std::lround(val), 0L, 255L));
        }
    }
    return img;
}

} // namespace oc_test
