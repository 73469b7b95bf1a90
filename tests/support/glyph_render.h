// Glyph images with known truth for tests and benchmarks: font glyphs rendered upright as train
// images and placed into run images at chosen poses, with blur and noise.
#pragma once

#include "core/geom/vector.h"
#include "core/geom/xform.h"
#include "core/image/pel_buffer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace oc_test {

// The fonts the tests use (from the system's DejaVu package).
inline const char* const kSansFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
inline const char* const kMonoFont = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
// A geometric face whose O is a circle.
inline const char* const kGothicFont = "/usr/share/fonts/opentype/urw-base35/URWGothic-Demi.otf";

// A glyph outline rendered at high resolution as area coverage (0..1).
//
// Glyph coordinates are the pel coordinates of the glyph's upright train image: pel (i, j)
// covers [i, i + 1) x [j, j + 1), y grows downwards. The glyph's ink box is scaled to exactly
// heightPx pels high and starts marginPx pels from the train image's left and top edges; the
// train image is the ink box plus the margin on every side, rounded up to whole pels.
class GlyphImage {
public:
    // Renders `ch` of the font file at `fontPath` at 8 x 8 high-res samples per pel. Throws
    // std::runtime_error when the font cannot be read or the glyph has no outline.
    GlyphImage(const std::string& fontPath, char32_t ch, double heightPx, long marginPx = 4);

    long trainWidth() const { return trainW_; }
    long trainHeight() const { return trainH_; }
    // Size of the glyph's ink box in pels.
    double inkWidth() const { return inkW_; }
    double inkHeight() const { return inkH_; }
    // The centre of the train image in glyph coordinates.
    xcVector<2> centre() const { return xcVector<2>(0.5 * trainW_, 0.5 * trainH_); }

    // Ink coverage at a glyph point (bilinear in the high-res raster; 0 outside).
    double coverage(double gx, double gy) const;
    // Mean coverage over the unit pel whose upper-left corner is (gx, gy) in glyph coordinates,
    // taken as `sub` x `sub` point samples.
    double pelCoverage(double gx, double gy, int sub) const;

    // The upright train image: window (0, 0, trainWidth, trainHeight), identity transforms,
    // pel = paper + (ink - paper) * coverage, rounded.
    xcPelBuffer<unsigned char> trainImage(double ink = 40.0, double paper = 200.0) const;

private:
    static constexpr int os_ = 8;
    long trainW_ = 0, trainH_ = 0;
    double inkW_ = 0, inkH_ = 0;
    long hiW_ = 0, hiH_ = 0;
    std::vector<float> hi_; // coverage, row-major, hiW_ x hiH_
};

// One glyph placed in a scene: where its train image's pels land in the run image.
struct Placement {
    const GlyphImage* glyph = nullptr;
    // Train image client (pel) coordinates to run image client (pel) coordinates.
    xcXform<2> pose;
    double angleDeg = 0.0;
    double scale = 1.0;
};

// The pose that turns a glyph by angleDeg (positive turns +x towards +y), scales it and puts
// its train image centre at `centre`.
xcXform<2> placementPose(const GlyphImage& glyph, double angleDeg, double scale,
                         const xcVector<2>& centre);

// Builds a run image from placed glyphs. Pixel values are kept in floating point until
// finish(), which blurs, adds noise and quantises.
class Scene {
public:
    Scene(long width, long height, double paper = 200.0);

    long width() const { return w_; }
    long height() const { return h_; }
    const std::vector<Placement>& placements() const { return placements_; }

    // Paints the glyph at the pose (train client to run client) over what is there: each pel
    // becomes v * (1 - c) + ink * c with c the glyph's mean coverage over the pel's footprint
    // mapped back into glyph coordinates (sub x sub samples). Returns the placement.
    const Placement& place(const GlyphImage& glyph, const xcXform<2>& pose, double ink = 40.0,
                           int sub = 6);
    const Placement& place(const GlyphImage& glyph, double angleDeg, double scale,
                           const xcVector<2>& centre, double ink = 40.0, int sub = 6);
    // As place, with the ink coverage (0..1) at a glyph point given by `coverage` instead of the
    // glyph's own outline (print that draws the glyph otherwise, as rows of dots).
    const Placement& paint(const GlyphImage& glyph, const xcXform<2>& pose,
                           const std::function<double(double, double)>& coverage, double ink,
                           int sub);
    // True when a glyph placed at `pose` would keep `gap` pels between its train-window box and
    // the boxes of every earlier placement, and lie `border` pels inside the scene.
    bool fits(const GlyphImage& glyph, const xcXform<2>& pose, double gap, double border) const;

    // Fills a rectangle (scene pels) with a value.
    void fillRect(long x, long y, long w, long h, double value);

    // The run image: Gaussian blur of blurSigma pels (none when <= 0), then Gaussian noise of
    // noiseSigma grey levels from a generator seeded with `seed`, rounded and clamped to 0..255.
    // Window (0, 0, width, height), identity transforms. Deterministic for a given seed.
    xcPelBuffer<unsigned char> finish(double blurSigma, double noiseSigma,
                                      std::uint64_t seed) const;

private:
    long w_, h_;
    std::vector<double> v_;
    std::vector<Placement> placements_;
};

// Writes the window of an 8-bit pel buffer as a binary PGM file; false when writing fails.
bool writePgm(const std::string& path, const xcPelBuffer_const<unsigned char>& image);

// A deterministic generator (splitmix64 seeding xoshiro256**) with uniform and normal draws, so
// seeded tests give the same images on every library implementation.
class Rng {
public:
    explicit Rng(std::uint64_t seed);
    std::uint64_t next();
    // Uniform in [lo, hi).
    double uniform(double lo, double hi);
    // Standard normal (Box-Muller).
    double normal();

private:
    std::uint64_t s_[4];
    bool haveSpare_ = false;
    double spare_ = 0.0;
};

} // namespace oc_test
