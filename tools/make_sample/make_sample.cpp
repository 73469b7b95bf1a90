// Renders the sample data set the repository carries so the demo and the tools work on a fresh
// clone: one font's alphabet (model images and alphabet.json) and three run-time images with
// their truth (cases.json), in the layout and conventions of the development data sets.
//
// Usage: make_sample OUT_DIR. Writes OUT_DIR/fonts/dejavu-sans-bold/, OUT_DIR/cases/ and
// OUT_DIR/cases.json. The output is the same on every run.
#include "support/glyph_render.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_BBOX_H

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace {

constexpr const char* kFontId = "dejavu-sans-bold";
constexpr const char* kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr double kCapsPx = 26.0; // height of a capital letter in model pels
constexpr long kMargin = 3;      // model image around the character's cell
constexpr long kGlyphMargin = 4; // the renderer's margin around the ink box
constexpr double kPaper = 200.0, kInk = 40.0;

// Outline box and advance of one glyph in font units (y up from the baseline).
struct FontGlyph {
    double xMin = 0, yMin = 0, yMax = 0, advance = 0;
    bool hasInk = false;
};

// The font's metrics as FreeType reads them, unscaled.
class FontMetrics {
public:
    explicit FontMetrics(const char* path) {
        if (FT_Init_FreeType(&lib_) != 0) throw std::runtime_error("FreeType would not start");
        if (FT_New_Face(lib_, path, 0, &face_) != 0) {
            FT_Done_FreeType(lib_);
            throw std::runtime_error(std::string("cannot read font ") + path);
        }
    }
    ~FontMetrics() {
        FT_Done_Face(face_);
        FT_Done_FreeType(lib_);
    }
    FontMetrics(const FontMetrics&) = delete;
    FontMetrics& operator=(const FontMetrics&) = delete;

    double lineHeight() const { return double(face_->ascender) - double(face_->descender); }
    double ascender() const { return double(face_->ascender); }

    FontGlyph glyph(char32_t ch) const {
        const FT_UInt index = FT_Get_Char_Index(face_, FT_ULong(ch));
        if (index == 0 || FT_Load_Glyph(face_, index, FT_LOAD_NO_SCALE) != 0)
            throw std::runtime_error("the font lacks a character");
        FontGlyph g;
        g.advance = double(face_->glyph->metrics.horiAdvance);
        g.hasInk = face_->glyph->outline.n_points > 0;
        if (g.hasInk) {
            FT_BBox box;
            FT_Outline_Get_BBox(&face_->glyph->outline, &box);
            g.xMin = double(box.xMin);
            g.yMin = double(box.yMin);
            g.yMax = double(box.yMax);
        }
        return g;
    }

private:
    FT_Library lib_ = nullptr;
    FT_Face face_ = nullptr;
};

// One character of the sample alphabet: its cell, and for a normal one the rendered glyph and
// where the glyph's coordinates lie in the model image (model = glyph + offset).
struct SampleChar {
    char32_t ch = 0;
    std::string name, file;
    bool sym180 = false;
    long cellW = 0, cellH = 0;
    std::unique_ptr<oc_test::GlyphImage> glyph;
    xcVector<2> offset;

    // The character's area in its model image, as [x, y, w, h].
    long areaXY() const { return glyph ? kMargin : 0; }
    xcVector<2> areaCentre() const {
        return xcVector<2>(double(areaXY()) + 0.5 * double(cellW),
                           double(areaXY()) + 0.5 * double(cellH));
    }
};

std::string fileName(char32_t ch, const std::string& name) {
    static const std::map<char32_t, std::string> kNamed = {
        {U'-', "hyphen"}, {U'/', "slash"}, {U':', "colon"}, {U'.', "period"}};
    const auto it = kNamed.find(ch);
    return (it == kNamed.end() ? name : it->second) + ".pgm";
}

std::map<char32_t, SampleChar> makeAlphabet(const char* fontPath) {
    const FontMetrics font(fontPath);
    const FontGlyph capital = font.glyph(U'H');
    const double scale = kCapsPx / (capital.yMax - capital.yMin);
    const long cellH = std::lround(font.lineHeight() * scale);
    const std::u32string chars = U"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-/:. ";
    const std::u32string sym180 = U"0HINOSXZ-/:.";
    std::map<char32_t, SampleChar> out;
    for (char32_t ch : chars) {
        const FontGlyph m = font.glyph(ch);
        SampleChar& c = out[ch];
        c.ch = ch;
        c.name = ch == U' ' ? "space" : std::string(1, char(ch));
        c.sym180 = sym180.find(ch) != std::u32string::npos;
        c.cellW = std::lround(m.advance * scale);
        c.cellH = cellH;
        if (!m.hasInk) continue;
        c.file = fileName(ch, c.name);
        c.glyph = std::make_unique<oc_test::GlyphImage>(fontPath, ch, (m.yMax - m.yMin) * scale,
                                                        kGlyphMargin);
        // The pen starts at the cell's left edge and the baseline lies `ascender` below its top.
        c.offset = xcVector<2>(double(kMargin) + m.xMin * scale - double(kGlyphMargin),
                               double(kMargin) + (font.ascender() - m.yMax) * scale -
                                   double(kGlyphMargin));
    }
    return out;
}

xcPelBuffer<unsigned char> modelImage(const SampleChar& c) {
    xcPelBuffer<unsigned char> img(c.cellW + 2 * kMargin, c.cellH + 2 * kMargin);
    for (long y = 0; y < img.height(); ++y)
        for (long x = 0; x < img.width(); ++x) {
            const double cov =
                c.glyph->pelCoverage(double(x) - c.offset.x(), double(y) - c.offset.y(), 8);
            img.rowPointer(y)[x] =
                static_cast<unsigned char>(std::lround(kPaper + (kInk - kPaper) * cov));
        }
    return img;
}

Json poseJson(const xcXform<2>& p) {
    const xcMatrix<2>& m = p.matrix();
    auto r = [](double v) { return std::round(v * 1e6) / 1e6; };
    return Json::array(
        {r(m.a()), r(m.b()), r(m.c()), r(m.d()), r(p.trans().x()), r(p.trans().y())});
}

// One sample image: the text and, per character, where the middle of its cell goes and how far
// it is turned (degrees, positive turns +x towards +y).
struct Layout {
    std::string id, text, tag, about;
    std::vector<xcVector<2>> centres;
    std::vector<double> anglesDeg;
};

// Middles of the cells along the text, measured from the text's middle.
std::vector<double> alongText(const std::map<char32_t, SampleChar>& a, const std::string& text) {
    double pen = 0;
    std::vector<double> along;
    for (char ch : text) {
        const double w = double(a.at(char32_t(ch)).cellW);
        along.push_back(pen + 0.5 * w);
        pen += w;
    }
    for (double& s : along) s -= 0.5 * pen;
    return along;
}

Layout straightLine(const std::map<char32_t, SampleChar>& a, Layout l, xcVector<2> centre,
                    double angleDeg) {
    const double t = angleDeg * std::numbers::pi / 180.0;
    for (double s : alongText(a, l.text)) {
        l.centres.push_back(centre + xcVector<2>(std::cos(t), std::sin(t)) * s);
        l.anglesDeg.push_back(angleDeg);
    }
    return l;
}

// Read clockwise over the top of the circle, character tops pointing away from the centre.
Layout circularLine(const std::map<char32_t, SampleChar>& a, Layout l, xcVector<2> centre,
                    double radius) {
    for (double s : alongText(a, l.text)) {
        const double phi = s / radius;
        l.centres.push_back(centre + xcVector<2>(std::sin(phi), -std::cos(phi)) * radius);
        l.anglesDeg.push_back(phi * 180.0 / std::numbers::pi);
    }
    return l;
}

// Prints the layout, writes its image and returns its case with the truth.
Json renderCase(const std::map<char32_t, SampleChar>& a, const Layout& l, const fs::path& dir,
                std::uint64_t seed) {
    oc_test::Scene scene(480, 360, kPaper);
    Json keys = Json::array(), indices = Json::array(), truth = Json::array();
    for (std::size_t i = 0; i < l.text.size(); ++i) {
        const SampleChar& c = a.at(char32_t(l.text[i]));
        const double t = l.anglesDeg[i] * std::numbers::pi / 180.0;
        const xcMatrix<2> turn(std::cos(t), -std::sin(t), std::sin(t), std::cos(t));
        // Model image to run image: the middle of the cell lands on the layout's point.
        const xcXform<2> pose(turn, l.centres[i] - turn * c.areaCentre());
        Json entry = {{"present", true},
                      {"correct", true},
                      {"pose", poseJson(pose)},
                      {"sym180", c.sym180},
                      {"printed", long(c.ch)}};
        if (c.glyph) {
            scene.place(*c.glyph, pose * xcXform<2>::translation(c.offset), kInk);
            // Turned by 180 degrees about the ink's middle, the glyph matches again.
            const xcVector<2> ink =
                c.offset + xcVector<2>(double(kGlyphMargin) + 0.5 * c.glyph->inkWidth(),
                                       double(kGlyphMargin) + 0.5 * c.glyph->inkHeight());
            if (c.sym180)
                entry["pose180"] =
                    poseJson(pose * xcXform<2>(xcMatrix<2>(-1, 0, 0, -1), ink * 2.0));
        }
        keys.push_back(long(c.ch));
        indices.push_back(i);
        truth.push_back(entry);
    }
    const std::string image = "cases/" + l.id + ".pgm";
    if (!oc_test::writePgm((dir / image).string(), scene.finish(0.6, 3.0, seed)))
        throw std::runtime_error("cannot write " + (dir / image).string());
    return Json{{"id", l.id},      {"image", image}, {"font", kFontId},
                {"keys", keys},    {"text", l.text}, {"lines", Json::array({indices})},
                {"tags", {l.tag}}, {"scale", 1.0},   {"about", l.about},
                {"truth", truth}};
}

// A JSON list with one entry per line, as the data sets keep it.
void writeList(const fs::path& path, const std::vector<Json>& entries) {
    std::ofstream out(path);
    out << "[\n";
    for (std::size_t i = 0; i < entries.size(); ++i)
        out << entries[i].dump() << (i + 1 < entries.size() ? ",\n" : "\n");
    out << "]\n";
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample OUT_DIR\n");
        return 2;
    }
    try {
        const fs::path dir = argv[1];
        const fs::path fontDir = dir / "fonts" / kFontId;
        fs::create_directories(fontDir);
        fs::create_directories(dir / "cases");
        const auto alphabet = makeAlphabet(kFontPath);
        std::vector<Json> chars;
        for (const char32_t ch : U"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-/:. ") {
            if (ch == 0) break;
            const SampleChar& c = alphabet.at(ch);
            Json e = {{"name", c.name}, {"key", long(ch)}, {"type", c.glyph ? "normal" : "blank"}};
            if (c.glyph) e["file"] = c.file;
            e["area"] = {c.areaXY(), c.areaXY(), c.cellW, c.cellH};
            e["sym180"] = c.sym180;
            chars.push_back(e);
            if (c.glyph && !oc_test::writePgm((fontDir / c.file).string(), modelImage(c)))
                throw std::runtime_error("cannot write " + (fontDir / c.file).string());
        }
        writeList(fontDir / "alphabet.json", chars);

        const std::vector<Layout> layouts = {
            straightLine(
                alphabet,
                {"tilted", "LOT 42/7", "tilt", "a straight line tilted by 9 degrees", {}, {}},
                xcVector<2>(240, 170), 9.0),
            straightLine(alphabet,
                         {"turned",
                          "EXP 2027-11",
                          "rotated",
                          "a straight line turned by 120 degrees",
                          {},
                          {}},
                         xcVector<2>(240, 180), 120.0),
            circularLine(alphabet,
                         {"circular",
                          "BATCH 0815:A",
                          "circular",
                          "a line along a circle of radius 110 pels, read clockwise",
                          {},
                          {}},
                         xcVector<2>(240, 210), 110.0)};
        std::vector<Json> cases;
        std::uint64_t seed = 15;
        for (const Layout& l : layouts) cases.push_back(renderCase(alphabet, l, dir, seed++));
        writeList(dir / "cases.json", cases);
        std::printf("make_sample: wrote %zu characters and %zu cases to %s\n", chars.size(),
                    cases.size(), dir.string().c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_sample: %s\n", e.what());
        return 1;
    }
}
