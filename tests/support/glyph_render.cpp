#include "support/glyph_render.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_BBOX_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <stdexcept>

namespace oc_test {

namespace {

// Owns a FreeType library and face for the length of one rendering.
class FontFace {
public:
    explicit FontFace(const std::string& path) {
        if (FT_Init_FreeType(&lib_) != 0) throw std::runtime_error("FreeType would not start");
        if (FT_New_Face(lib_, path.c_str(), 0, &face_) != 0) {
            FT_Done_FreeType(lib_);
            throw std::runtime_error("cannot read font " + path);
        }
    }
    ~FontFace() {
        FT_Done_Face(face_);
        FT_Done_FreeType(lib_);
    }
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    FT_Library lib() const { return lib_; }
    FT_Face face() const { return face_; }

private:
    FT_Library lib_ = nullptr;
    FT_Face face_ = nullptr;
};

// Separable Gaussian blur of a w x h image of doubles, edges replicated.
void gaussianBlur(std::vector<double>& v, long w, long h, double sigma) {
    const long r = static_cast<long>(std::ceil(3.5 * sigma));
    std::vector<double> k(2 * r + 1);
    double sum = 0;
    for (long i = -r; i <= r; ++i)
        sum += k[i + r] = std::exp(-0.5 * double(i * i) / (sigma * sigma));
    for (double& x : k) x /= sum;
    std::vector<double> tmp(v.size());
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x) {
            double acc = 0;
            for (long i = -r; i <= r; ++i)
                acc += k[i + r] * v[y * w + std::clamp(x + i, 0L, w - 1)];
            tmp[y * w + x] = acc;
        }
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x) {
            double acc = 0;
            for (long i = -r; i <= r; ++i)
                acc += k[i + r] * tmp[std::clamp(y + i, 0L, h - 1) * w + x];
            v[y * w + x] = acc;
        }
}

unsigned char toPel(double v) {
    return static_cast<unsigned char>(std::clamp(std::lround(v), 0L, 255L));
}

// The bounding box (x0, y0, x1, y1) of the glyph's train window placed by the pose.
void placedBox(const GlyphImage& glyph, const xcXform<2>& pose, double box[4]) {
    const double w = double(glyph.trainWidth()), h = double(glyph.trainHeight());
    const xcVector<2> corners[4] = {
        pose.mapPoint(xcVector<2>(0, 0)), pose.mapPoint(xcVector<2>(w, 0)),
        pose.mapPoint(xcVector<2>(0, h)), pose.mapPoint(xcVector<2>(w, h))};
    box[0] = box[2] = corners[0].x();
    box[1] = box[3] = corners[0].y();
    for (const xcVector<2>& c : corners) {
        box[0] = std::min(box[0], c.x());
        box[1] = std::min(box[1], c.y());
        box[2] = std::max(box[2], c.x());
        box[3] = std::max(box[3], c.y());
    }
}

} // namespace

GlyphImage::GlyphImage(const std::string& fontPath, char32_t ch, double heightPx, long marginPx) {
    if (!(heightPx >= 2.0 && heightPx <= 1000.0) || marginPx < 0)
        throw std::runtime_error("glyph size out of range");
    FontFace font(fontPath);
    FT_Face face = font.face();
    // A large nominal size keeps the outline's 26.6 rounding far below a high-res pel.
    FT_Set_Pixel_Sizes(face, 0, 512);
    const FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(ch));
    if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
        face->glyph->format != FT_GLYPH_FORMAT_OUTLINE || face->glyph->outline.n_points == 0)
        throw std::runtime_error("the font has no outline for this character");
    FT_Outline* outline = &face->glyph->outline;
    FT_BBox box;
    FT_Outline_Get_BBox(outline, &box);
    const double boxW = (box.xMax - box.xMin) / 64.0, boxH = (box.yMax - box.yMin) / 64.0;
    if (!(boxH > 0) || !(boxW > 0)) throw std::runtime_error("the glyph has an empty ink box");

    // Outline units to high-res pels, as the 16.16 factor FreeType will really apply.
    const FT_Fixed f16 = static_cast<FT_Fixed>(std::lround(heightPx * os_ / boxH * 65536.0));
    const double f = f16 / 65536.0;
    inkW_ = boxW * f / os_;
    inkH_ = boxH * f / os_;
    trainW_ = static_cast<long>(std::ceil(inkW_ + 2.0 * double(marginPx) - 1e-9));
    trainH_ = static_cast<long>(std::ceil(inkH_ + 2.0 * double(marginPx) - 1e-9));
    hiW_ = trainW_ * os_;
    hiH_ = trainH_ * os_;

    // Ink box's upper-left corner (xMin, yMax) to high-res (margin, margin) with y up: FreeType's
    // bitmap row r covers outline y in [hiH - r - 1, hiH - r).
    FT_Outline_Translate(outline, -box.xMin, -box.yMax);
    FT_Matrix m{f16, 0, 0, f16};
    FT_Outline_Transform(outline, &m);
    FT_Outline_Translate(outline, static_cast<FT_Pos>(marginPx * os_ * 64),
                         static_cast<FT_Pos>((hiH_ - marginPx * os_) * 64));

    std::vector<unsigned char> raster(static_cast<std::size_t>(hiW_ * hiH_), 0);
    FT_Bitmap bm{};
    bm.rows = static_cast<unsigned>(hiH_);
    bm.width = static_cast<unsigned>(hiW_);
    bm.pitch = static_cast<int>(hiW_);
    bm.buffer = raster.data();
    bm.num_grays = 256;
    bm.pixel_mode = FT_PIXEL_MODE_GRAY;
    if (FT_Outline_Get_Bitmap(font.lib(), outline, &bm) != 0)
        throw std::runtime_error("FreeType could not render the glyph");
    hi_.resize(raster.size());
    for (std::size_t i = 0; i < raster.size(); ++i) hi_[i] = raster[i] / 255.0f;
}

double GlyphImage::coverage(double gx, double gy) const {
    const double hx = gx * os_ - 0.5, hy = gy * os_ - 0.5;
    if (!(hx > -1.0 && hy > -1.0 && hx < double(hiW_) && hy < double(hiH_))) return 0.0;
    const long x0 = static_cast<long>(std::floor(hx)), y0 = static_cast<long>(std::floor(hy));
    const double fx = hx - double(x0), fy = hy - double(y0);
    auto at = [&](long x, long y) -> double {
        if (x < 0 || y < 0 || x >= hiW_ || y >= hiH_) return 0.0;
        return hi_[static_cast<std::size_t>(y * hiW_ + x)];
    };
    return (1 - fy) * ((1 - fx) * at(x0, y0) + fx * at(x0 + 1, y0)) +
           fy * ((1 - fx) * at(x0, y0 + 1) + fx * at(x0 + 1, y0 + 1));
}

double GlyphImage::pelCoverage(double gx, double gy, int sub) const {
    double acc = 0;
    for (int b = 0; b < sub; ++b)
        for (int a = 0; a < sub; ++a) acc += coverage(gx + (a + 0.5) / sub, gy + (b + 0.5) / sub);
    return acc / (sub * sub);
}

xcPelBuffer<unsigned char> GlyphImage::trainImage(double ink, double paper) const {
    xcPelBuffer<unsigned char> img(trainW_, trainH_);
    for (long y = 0; y < trainH_; ++y) {
        unsigned char* row = img.rowPointer(y);
        for (long x = 0; x < trainW_; ++x) {
            // The mean of the high-res pels under this pel: exact area coverage.
            double acc = 0;
            for (int j = 0; j < os_; ++j)
                for (int i = 0; i < os_; ++i)
                    acc += hi_[static_cast<std::size_t>((y * os_ + j) * hiW_ + x * os_ + i)];
            row[x] = toPel(paper + (ink - paper) * acc / (os_ * os_));
        }
    }
    return img;
}

xcXform<2> placementPose(const GlyphImage& glyph, double angleDeg, double scale,
                         const xcVector<2>& centre) {
    const double a = angleDeg * std::numbers::pi / 180.0;
    const xcMatrix<2> m(scale * std::cos(a), -scale * std::sin(a), scale * std::sin(a),
                        scale * std::cos(a));
    const xcVector<2> c = glyph.centre();
    return xcXform<2>(m, centre - m * c);
}

Scene::Scene(long width, long height, double paper)
    : w_(width), h_(height), v_(static_cast<std::size_t>(width * height), paper) {
    if (width <= 0 || height <= 0) throw std::runtime_error("scene size must be positive");
}

const Placement& Scene::place(const GlyphImage& glyph, const xcXform<2>& pose, double ink,
                              int sub) {
    return paint(
        glyph, pose, [&glyph](double gx, double gy) { return glyph.coverage(gx, gy); }, ink, sub);
}

const Placement& Scene::paint(const GlyphImage& glyph, const xcXform<2>& pose,
                              const std::function<double(double, double)>& coverage, double ink,
                              int sub) {
    const xcXform<2> inv = pose.inverse();
    double box[4];
    placedBox(glyph, pose, box);
    const long x0 = std::max(0L, static_cast<long>(std::floor(box[0])) - 1);
    const long y0 = std::max(0L, static_cast<long>(std::floor(box[1])) - 1);
    const long x1 = std::min(w_, static_cast<long>(std::ceil(box[2])) + 1);
    const long y1 = std::min(h_, static_cast<long>(std::ceil(box[3])) + 1);
    for (long y = y0; y < y1; ++y)
        for (long x = x0; x < x1; ++x) {
            double acc = 0;
            for (int b = 0; b < sub; ++b)
                for (int a = 0; a < sub; ++a) {
                    const xcVector<2> g =
                        inv.mapPoint(xcVector<2>(x + (a + 0.5) / sub, y + (b + 0.5) / sub));
                    acc += coverage(g.x(), g.y());
                }
            const double c = acc / (sub * sub);
            double& v = v_[static_cast<std::size_t>(y * w_ + x)];
            v = v * (1.0 - c) + ink * c;
        }
    Placement p;
    p.glyph = &glyph;
    p.pose = pose;
    p.angleDeg =
        std::atan2(pose.matrix().c() - pose.matrix().b(), pose.matrix().a() + pose.matrix().d()) *
        180.0 / std::numbers::pi;
    p.scale = std::sqrt(std::fabs(pose.det()));
    placements_.push_back(p);
    return placements_.back();
}

const Placement& Scene::place(const GlyphImage& glyph, double angleDeg, double scale,
                              const xcVector<2>& centre, double ink, int sub) {
    return place(glyph, placementPose(glyph, angleDeg, scale, centre), ink, sub);
}

bool Scene::fits(const GlyphImage& glyph, const xcXform<2>& pose, double gap, double border) const {
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

void Scene::fillRect(long x, long y, long w, long h, double value) {
    for (long j = std::max(0L, y); j < std::min(h_, y + h); ++j)
        for (long i = std::max(0L, x); i < std::min(w_, x + w); ++i)
            v_[static_cast<std::size_t>(j * w_ + i)] = value;
}

xcPelBuffer<unsigned char> Scene::finish(double blurSigma, double noiseSigma,
                                         std::uint64_t seed) const {
    std::vector<double> v = v_;
    if (blurSigma > 0) gaussianBlur(v, w_, h_, blurSigma);
    Rng rng(seed);
    xcPelBuffer<unsigned char> img(w_, h_);
    for (long y = 0; y < h_; ++y) {
        unsigned char* row = img.rowPointer(y);
        for (long x = 0; x < w_; ++x) {
            double val = v[static_cast<std::size_t>(y * w_ + x)];
            if (noiseSigma > 0) val += noiseSigma * rng.normal();
            row[x] = toPel(val);
        }
    }
    return img;
}

bool writePgm(const std::string& path, const xcPelBuffer_const<unsigned char>& image) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fprintf(f, "P5\n%ld %ld\n255\n", image.width(), image.height()) > 0;
    for (long y = 0; ok && y < image.height(); ++y)
        ok = std::fwrite(image.rowPointer(y), 1, static_cast<std::size_t>(image.width()), f) ==
             static_cast<std::size_t>(image.width());
    return std::fclose(f) == 0 && ok;
}

namespace {
std::uint64_t splitmix(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}
std::uint64_t rotl(std::uint64_t x, int k) {
    return (x << k) | (x >> (64 - k));
}
} // namespace

Rng::Rng(std::uint64_t seed) {
    for (std::uint64_t& s : s_) s = splitmix(seed);
}

std::uint64_t Rng::next() {
    const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = rotl(s_[3], 45);
    return result;
}

double Rng::uniform(double lo, double hi) {
    return lo + (hi - lo) * (double(next() >> 11) * 0x1.0p-53);
}

double Rng::normal() {
    if (haveSpare_) {
        haveSpare_ = false;
        return spare_;
    }
    double u1 = 0;
    do u1 = uniform(0.0, 1.0);
    while (u1 <= 0.0);
    const double u2 = uniform(0.0, 1.0);
    const double r = std::sqrt(-2.0 * std::log(u1));
    spare_ = r * std::sin(2.0 * std::numbers::pi * u2);
    haveSpare_ = true;
    return r * std::cos(2.0 * std::numbers::pi * u2);
}

} // namespace oc_test
