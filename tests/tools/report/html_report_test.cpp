#include "report/html_report.h"

#include "diag/diag_object.h"
#include "oc/arrange/arrange.h"
#include "support/glyph_alphabet.h"

#include <gtest/gtest.h>
#include <spng.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

using namespace oc_test;

namespace {

std::string unbase64(const std::string& s) {
    static const std::string digits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned acc = 0;
    int bits = 0;
    for (const char c : s) {
        if (c == '=') break;
        acc = acc << 6 | unsigned(digits.find(c));
        if ((bits += 6) >= 8) out += char((acc >> (bits -= 8)) & 255);
    }
    return out;
}

struct Decoded {
    spng_ihdr ihdr{};
    std::vector<unsigned char> pels;
};

Decoded decodePng(const std::string& bytes, spng_format fmt) {
    Decoded d;
    spng_ctx* ctx = spng_ctx_new(0);
    std::size_t size = 0;
    if (spng_set_png_buffer(ctx, bytes.data(), bytes.size()) == 0 &&
        spng_get_ihdr(ctx, &d.ihdr) == 0 && spng_decoded_image_size(ctx, fmt, &size) == 0) {
        d.pels.resize(size);
        if (spng_decode_image(ctx, d.pels.data(), size, fmt, 0) != 0) d.pels.clear();
    }
    spng_ctx_free(ctx);
    return d;
}

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::size_t count(const std::string& s, const std::string& what) {
    std::size_t n = 0;
    for (auto at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
    return n;
}

} // namespace

TEST(HtmlReport, DrawsGraphicsOnImagePelsAndNestsRecordsByLevel) {
    // A 40 x 30 window at (10, 5) of a 60 x 40 root; client (x, y) is image (40 - 2y, 6 + 2x).
    xcPelBuffer<unsigned char> root(60, 40);
    for (long y = 0; y < 40; ++y)
        for (long x = 0; x < 60; ++x)
            *root.pointToPel(x, y) = static_cast<unsigned char>(x * 7 + y * 3);
    xcPelBuffer<unsigned char> image = root;
    image.window(xcPelRect(10, 5, 40, 30));
    image.imageFromClientXform(xcXform<2>(xcMatrix<2>(0, -2, 2, 0), xcVector<2>(40, 6)));

    xcDiagObject rec;
    xcDiagRecord* top = xf_AddImage(&rec, image, "Run <image>");
    xcGraphicList client, pels;
    client.push(xcGraphicRect(xcRect(3, 2, 5, 4), xcGraphicProps(xcColor::eGreen, eDash, 2)));
    client.push(xcGraphicPointIcon(xcVector<2>(4, 3), xcGraphicProps(xcColor::eOrange),
                                   xcGraphicPointIcon::eCircle, 16));
    pels.push(xcGraphicSimple(xcLineSeg({12, 7}, {20.5, 7})));
    top->graphics(client, xcDisplay::eClientCoords, "Found");
    top->graphics(pels, xcDisplay::eImageCoords, "Pels");
    top->text("Name\tValue\n<K&R>\t\"1\" \t\nnote\n", "Table");
    rec.level(1);
    xcGraphicList later;
    later.push(xcGraphicSimple(xcAffineRectangle({0, 0}, {1, 0}, {0, 1})));
    xf_AddGraphics(&rec, later, "Later");
    rec.level(2);
    xf_AddText(&rec, "deep", "Deep");
    rec.level(0);
    xf_AddImage(&rec, image, "Same pels");

    std::ostringstream os;
    oc_tools::writeHtmlReport(rec, "T & \"q\"", os);
    const std::string html = os.str();

    // The pels are embedded once, exactly the window's.
    EXPECT_EQ(count(html, "data:image/png;base64,"), 1u);
    const std::string prefix = "data:image/png;base64,";
    const std::size_t from = html.find(prefix) + prefix.size(), to = html.find('"', from);
    ASSERT_NE(to, std::string::npos);
    const Decoded png = decodePng(unbase64(html.substr(from, to - from)), SPNG_FMT_G8);
    ASSERT_EQ(png.pels.size(), 40u * 30u);
    for (long y = 0; y < 30; ++y)
        for (long x = 0; x < 40; ++x)
            ASSERT_EQ(png.pels[std::size_t(y * 40 + x)], *image.pointToPel(x, y)) << x << "," << y;
    EXPECT_NE(html.find("viewBox=\"10 5 40 30\""), std::string::npos);
    EXPECT_EQ(count(html, "<use href=\"#im0\" x=\"10\" y=\"5\"/>"), 3u);

    // Client graphics through the transform, image graphics as they are; the icon's 16 screen
    // pixels at a zoom of 8 are 2 pels.
    for (const char* element :
         {"<polygon points=\"36,12 36,22 28,22 28,12\" stroke=\"#00ff00\" stroke-width=\"2\" "
          "fill=\"none\" stroke-dasharray=\"8 4\">",
          "<circle cx=\"34\" cy=\"14\" r=\"1\" stroke=\"#ffa500\"",
          "<line x1=\"12\" y1=\"7\" x2=\"20.5\" y2=\"7\" stroke=\"#ff0000\"",
          "<polygon points=\"40,6 40,8 38,8 38,6\""})
        EXPECT_NE(html.find(element), std::string::npos) << element;
    // The later graphics record shows over its own copy of the image and over the first one.
    EXPECT_EQ(count(html, "<polygon points=\"40,6 40,8 38,8 38,6\""), 2u);

    EXPECT_NE(html.find("<title>T &amp; &quot;q&quot;</title>"), std::string::npos);
    EXPECT_NE(html.find("Run &lt;image&gt;"), std::string::npos);
    EXPECT_NE(html.find("<tr><td>Name</td><td>Value</td></tr>\n"
                        "<tr><td>&lt;K&amp;R&gt;</td><td>&quot;1&quot; </td><td></td></tr>\n"
                        "<tr><td colspan=\"3\">note</td></tr>\n"
                        "</table>"),
              std::string::npos);
    // Each record opens a section; a deeper one nests in the one before it.
    std::string tree;
    for (auto at = html.find("details"); at != std::string::npos; at = html.find("details", at + 1))
        if (html[at - 1] == '<' || html[at - 1] == '/') tree += html[at - 1] == '<' ? '(' : ')';
    EXPECT_EQ(tree, "((()))()");

    EXPECT_THROW(
        try {
            oc_tools::writeHtmlReport(rec, "x", "/nonexistent/dir/r.html");
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("/nonexistent/dir/r.html"), std::string::npos);
            throw;
        },
        std::runtime_error);
}

// The arranger's report of a printed line, opened in a browser: the run image shows with the
// found characters outlined in green.
TEST(HtmlReport, RendersInHeadlessChromium) {
    if (!std::filesystem::exists("/usr/bin/chromium")) GTEST_SKIP() << "no /usr/bin/chromium";
    const GlyphAlphabet a(U"KR2P6ABXZ");
    const std::vector<long> keys{'K', 'R', '2', 'P', '6', 'A'};
    Scene scene(320, 240);
    printLine(scene, a, keys, 20.0, 1.0, {160, 120});
    const xcPelBuffer<unsigned char> image = scene.finish(0.6, 2.0, 7);
    xcDiagObject rec;
    xcOCArrangeResults results;
    xfOCArrange(image, *a.alphabet(), keys, xcOCArrangeParams(), results, &rec, 0x20000);

    const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "oc_report";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "profile");
    const auto page = dir / "report.html", shot = dir / "shot.png", dom = dir / "dom.html";
    oc_tools::writeHtmlReport(rec, "Arranger output", page.string());
    const std::string chromium =
        "timeout 60 /usr/bin/chromium --headless --no-sandbox --disable-gpu --disable-quic "
        "--no-first-run --disable-background-networking --disable-component-update "
        "--disable-sync --hide-scrollbars --user-data-dir=" +
        (dir / "profile").string() + " --window-size=800,700 ";
    ASSERT_EQ(std::system((chromium + "--screenshot=" + shot.string() + " file://" + page.string() +
                           " >/dev/null 2>&1")
                              .c_str()),
              0);
    ASSERT_EQ(std::system((chromium + "--dump-dom file://" + page.string() + " >" + dom.string() +
                           " 2>/dev/null")
                              .c_str()),
              0);
    std::cout << "report " << page << ", screenshot " << shot << "\n";

    const Decoded png = decodePng(readFile(shot), SPNG_FMT_RGBA8);
    EXPECT_EQ(png.ihdr.width, 800u);
    EXPECT_EQ(png.ihdr.height, 700u);
    // Green outlines of six characters: antialiased edges blend with the grey image, so count
    // the pels that are clearly green.
    std::size_t green = 0;
    for (std::size_t i = 0; i + 3 < png.pels.size(); i += 4)
        green += png.pels[i + 1] > 200 && png.pels[i] < 100 && png.pels[i + 2] < 100;
    EXPECT_GT(green, 6u * 40u);
    EXPECT_GE(count(readFile(dom), "<polygon points="), 6u);
    EXPECT_GE(count(readFile(dom), "stroke=\"#00ff00\""), 6u);
}
