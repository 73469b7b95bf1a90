// Uses the installed OC library as an application would: teaches four block characters, prints a
// word with them into an image it makes itself and checks that the arranger finds every character
// where it was printed.
#include "core/image/pel_buffer.h"
#include "oc/arrange/arrange.h"
#include "oc/arrange/char_poses.h"
#include "oc/library.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

constexpr long kBlock = 4;               // pels per bit of the 5 x 7 patterns
constexpr long kCellW = 28, kCellH = 36; // the cell: ink box plus 4 pels on every side
constexpr long kMargin = 3;              // model image around the cell

// 5 x 7 patterns, the rows one after another.
const char* pattern(char c) {
    switch (c) {
    case '4':
        return "...#...##..#.#.#..#.#####...#....#.";
    case 'V':
        return "#...##...##...##...##...#.#.#...#..";
    case 'Z':
        return "#####....#...#...#...#...#....#####";
    default:
        return "#####....#...#...#...#....#....#....";
    }
}

void fill(xcPelBuffer<unsigned char>& img, unsigned char v) {
    for (long y = 0; y < img.height(); ++y)
        for (long x = 0; x < img.width(); ++x) img.rowPointer(y)[x] = v;
}

// Paints the character with its cell's upper-left corner at (x0, y0).
void paint(xcPelBuffer<unsigned char>& img, char c, long x0, long y0) {
    const char* p = pattern(c);
    for (long y = 0; y < 7 * kBlock; ++y)
        for (long x = 0; x < 5 * kBlock; ++x)
            if (p[(y / kBlock) * 5 + x / kBlock] == '#')
                img.rowPointer(y0 + 4 + y)[x0 + 4 + x] = 40;
}

} // namespace

int main() {
    try {
        const std::string chars = "47VZ";
        xcOCAlphabet::Models models;
        for (char c : chars) {
            xcPelBuffer<unsigned char> img(kCellW + 2 * kMargin, kCellH + 2 * kMargin);
            fill(img, 200);
            paint(img, c, kMargin, kMargin);
            // The arranger fits its lines through the models' client origins: the middle of the
            // cell.
            img.clientFromImageXform(xcXform<2>(
                xcMatrix<2>(), xcVector<2>(-kMargin - 0.5 * kCellW, -kMargin - 0.5 * kCellH)));
            models.emplace_back(new xcOCModel(long(c), img,
                                              xcPelRect(kMargin, kMargin, kCellW, kCellH),
                                              xcOCModel::eNormal, std::string(1, c), ""));
        }
        const xcOCAlphabet alphabet(models, 0.5, false, "blocks");

        const std::string text = "4VZ7";
        xcPelBuffer<unsigned char> image(200, 80);
        fill(image, 200);
        std::vector<long> keys;
        for (std::size_t i = 0; i < text.size(); ++i) {
            paint(image, text[i], 30 + kCellW * long(i), 20);
            keys.push_back(long(text[i]));
        }

        xcOCArrangeResults results;
        xfOCArrange(image, alphabet, keys, xcOCArrangeParams(), results, nullptr, 0);
        const std::vector<xcXform<2>> poses = xfOCCharacterPoses(results);
        bool ok = results.isFound() && poses.size() == text.size();
        for (std::size_t i = 0; i < poses.size() && i < text.size(); ++i) {
            const xcVector<2> at = poses[i].trans();
            const double dx = at.x() - (30.0 + kCellW * (double(i) + 0.5));
            const double dy = at.y() - (20.0 + 0.5 * kCellH);
            std::printf("%c status %u score %.3f at (%.2f, %.2f)\n", text[i],
                        unsigned(results.statusFlags()[i]), results.scores()[i], at.x(), at.y());
            ok = ok && results.statusFlags()[i] == xcOCArrangeDefs::eMatched &&
                 std::hypot(dx, dy) < 1.0;
        }
        std::printf("OC %s: %s\n", xfOCLibraryVersion(), ok ? "found" : "NOT FOUND");
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "oc_consumer: %s\n", e.what());
        return 2;
    }
}
