// Writes the fuzz targets' seed inputs into <dir>/<target>/: for the archive target, one archive
// of every class (a leading byte picks the class, as the target reads it), built from rendered
// glyphs the way the tests build their objects; the tests' small PGM and PNG files for the image
// reader; and a few fixed byte strings for the targets that draw values from their input.
#include "core/base/errors.h"
#include "core/geom/nmmatrix.h"
#include "core/image/pel_buffer_archive.h"
#include "core/persist/archive_geom.h"
#include "core/sys/timeout.h"
#include "foundation/oc_defs.h"
#include "fuzz/fuzz_support.h"
#include "oc/arrange/arrange.h"
#include "oc/extract/extract_defs.h"
#include "oc/oc/line_arrangement.h"
#include "oc/occhar/character.h"
#include "support/glyph_alphabet.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

using namespace oc_fuzz;
namespace fs = std::filesystem;

namespace {

fs::path root;
int written = 0;

void write(const std::string& target, const std::string& name, const Bytes& bytes) {
    fs::create_directories(root / target);
    std::ofstream(root / target / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ++written;
}

// An archive seed: the class byte of the archive target, then the bytes.
void seed(unsigned char kind, const std::string& name, const Bytes& bytes) {
    Bytes b{kind};
    b.insert(b.end(), bytes.begin(), bytes.end());
    write("archive", name, b);
}

template <class T>
Bytes byValue(T& obj) {
    return store(static_cast<xcPersistent&>(obj));
}

Bytes framed(xcPersistent* obj) {
    xcMemoryArchive ar;
    ar.storeObject(obj);
    return ar.bytes();
}

using ModelHandle = xcPtrHandle_const<xcOCModel>;
using Alphabet = xcPtrHandle_const<xcOCAlphabet>;

void characterSeeds(const oc_test::GlyphAlphabet& glyphs) {
    xcOCCharKey key('A', 0, 1, 2);
    seed(0, "key", store(key));

    xcOCCharMetrics m;
    m.cellRect(xcRect(0, 0, 12, 20));
    m.markRect(xcRect(2, 3, 8, 14));
    m.advance(xcVector<2>(12, 0));
    m.isAdvanceSpecified(true);
    m.setImageRectsFromClientRects(xcXform<2>());
    seed(1, "metrics", store(m));

    const xcPelBuffer_const<unsigned char> img(glyphs.glyph('A').trainImage());
    xcOCChar c;
    c.key(key);
    c.image(img);
    c.mask(img);
    c.normalizedImage(img, true, 128, false);
    c.imageArea(img.window());
    c.metrics(m);
    c.polarity(xcOCDefs::eDarkOnLight);
    c.name("A");
    c.description("capital a");
    c.binarizedImage(true);
    seed(2, "character", store(c));
}

Alphabet modelSeeds(const oc_test::GlyphAlphabet& glyphs) {
    xcOCModel normal(*glyphs.alphabet()->character('A'));
    seed(3, "model_normal", byValue(normal));
    xcOCModel masked(*glyphs.alphabet()->character('H'));
    masked.mask(masked.image());
    seed(3, "model_masked", byValue(masked));
    xcOCModel blank(32, {}, xcPelRect(0, 0, 8, 20), xcOCModel::eBlank, " ", "space");
    seed(3, "model_blank", byValue(blank));

    xcOCAlphabet alphabet(*glyphs.alphabet());
    alphabet.add(ModelHandle(new xcOCModel(blank)), false);
    seed(4, "alphabet", byValue(alphabet));
    alphabet.compile(nullptr, 0);
    seed(4, "alphabet_compiled", byValue(alphabet));
    // The oldest layout holds no scores: a compiled one compiles again while it loads.
    xcMemoryArchive old;
    unsigned char version = 0;
    std::string name = "old";
    double threshold = 0.5;
    xcOCAlphabet::Models models = alphabet.characters();
    bool compiled = true;
    old || version || name || threshold || models || compiled;
    seed(4, "alphabet_v0_compiled", old.bytes());
    return Alphabet(new xcOCAlphabet(alphabet));
}

void lineSeeds(const Alphabet& alphabet) {
    xcOCKeySet one({'A', 'H', '7'}, 1);
    xcOCKeySet two({'A', 'O'}, std::vector<long>{0, 1});
    two.confusionOverrides('O', {'A', 32});
    xcOCKeySet wild;
    seed(5, "keyset", store(one));
    seed(5, "keyset_overrides", store(two));
    seed(5, "keyset_wildcard", store(wild));

    const std::vector<xcOCKeySet> sets{one, two, wild, xcOCKeySet({32}, 0)};
    xcOCLine line(sets, alphabet, xc2Rigid(xcRadian(0.1), {14, 0}), 1.0, 2.0, xcRadian(0.05), 0.1,
                  "line");
    seed(6, "line", byValue(line));
    const auto shared = xcPtrHandle_const<xcOCLine>(new xcOCLine(line));
    xcOCLineArrangement lines({shared, shared}, xc2Rigid(xcRadian(0), {0, 24}), 3.0, xcRadian(0.1),
                              "two lines");
    seed(7, "arrangement", byValue(lines));
    seed(12, "framed_arrangement", framed(&lines));
    xcOCAlphabet a(*alphabet);
    seed(12, "framed_alphabet", framed(&a));
}

void arrangeSeeds(const oc_test::GlyphAlphabet& glyphs) {
    xcOCArrangeParams p;
    seed(8, "params", store(p));
    p.lineType(xcOCArrangeDefs::eCircular);
    p.maxLines(2);
    p.timeout(0.5);
    p.compPoseUncertainties(true);
    seed(8, "params_changed", store(p));

    oc_test::Scene scene(96, 48);
    oc_test::printLine(scene, glyphs, {'A', 'H', '7'}, 10.0, 1.0, xcVector<2>(48, 24));
    const xcPelBuffer<unsigned char> img = scene.finish(0.6, 2.0, 7);
    xcOCArrangeResults r;
    xfOCArrange(img, *glyphs.alphabet(), {'A', 'H', 'O', '7'}, p, r, nullptr, 0);
    seed(9, "results", store(r));

    xcPelBuffer<unsigned char> small = glyphs.glyph('7').trainImage();
    small.clientFromImageXform(xcXform<2>(xcMatrix<2>(0.5, 0.1, -0.1, 0.5), xcVector<2>(3, 4)));
    seed(10, "pels", store(small));
    xcPelBuffer<unsigned char> unbound;
    seed(10, "pels_unbound", store(unbound));
    xcPelBuffer<short> shorts(xcPelRect(-1, 2, 3, 2));
    for (long y = 0; y < 2; ++y)
        for (long x = 0; x < 3; ++x) *shorts.pointToPel(x, y) = short(x * 1000 - y * 7000);
    seed(11, "pels_short", store(shorts));
}

void exceptionSeeds() {
    xcOCDefs::BadParams badParams("Illegal polarity");
    xcOCDefs::NotCompiled notCompiled;
    xcOCArrangeDefs::BadMask badMask;
    xc_OCExtractDefs::xc_OCExtractError extract("extraction");
    xcArchive::UnknownVersion unknown("xcOCModel", 3);
    xcTimeout::InternalExpired internal(-5);
    xcBadParams core("core");
    xcPersistent* all[] = {&badParams, &notCompiled, &badMask, &extract,
                           &unknown,   &internal,    &core};
    int i = 0;
    for (xcPersistent* e : all) seed(12, "exception_" + std::to_string(i++), framed(e));
}

// Fixed byte strings for the targets that draw every value from their input.
void drawnSeeds() {
    oc_test::Rng rng(11);
    for (const std::size_t n : {16, 200, 1500}) {
        Bytes b(n);
        for (unsigned char& v : b) v = static_cast<unsigned char>(rng.next());
        write("arrange", "random_" + std::to_string(n), b);
        write("imageutil", "random_" + std::to_string(n), b);
    }
}

void imageFileSeeds(const oc_test::GlyphAlphabet& glyphs) {
    const auto bytes = [](const std::string& s) { return Bytes(s.begin(), s.end()); };
    write("image_file", "p5", bytes(std::string("P5 2 1 255\n\x0a\xfa", 13)));
    write("image_file", "p2", bytes("P2\n# comment\n2 1\n15\n0 15\n"));
    // A 2 x 1 grey PNG (10, 250), as the reader's tests hold it.
    write("image_file", "png_grey",
          bytes(std::string("\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00"
                            "\x00\x00\x02\x00\x00\x00\x01\x08\x00\x00\x00\x00\xd1\x49\x20\x56\x00"
                            "\x00\x00\x0b\x49\x44\x41\x54\x78\x9c\x63\xe0\xfa\x05\x00\x01\x11\x01"
                            "\x05\x49\x8b\xe2\x5b\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82",
                            68)));
    oc_test::writePgm((root / "image_file" / "glyph.pgm").string(), glyphs.glyph('H').trainImage());
    ++written;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <seed directory>\n", argv[0]);
        return 2;
    }
    root = argv[1];
    const oc_test::GlyphAlphabet glyphs(U"AH7O", 12.0);
    characterSeeds(glyphs);
    lineSeeds(modelSeeds(glyphs));
    arrangeSeeds(glyphs);
    exceptionSeeds();
    drawnSeeds();
    imageFileSeeds(glyphs);
    std::printf("%d seeds in %s\n", written, root.c_str());
    return 0;
}
