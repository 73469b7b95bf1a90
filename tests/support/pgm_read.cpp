#include "support/pgm_read.h"

#include <cctype>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace oc_test {

namespace {

// The next header number, skipping white space and # comments; -1 when there is none.
long headerNumber(const std::vector<char>& data, std::size_t& at) {
    for (;;) {
        while (at < data.size() && std::isspace(static_cast<unsigned char>(data[at]))) ++at;
        if (at < data.size() && data[at] == '#') {
            while (at < data.size() && data[at] != '\n') ++at;
            continue;
        }
        break;
    }
    long v = 0;
    int digits = 0;
    for (; at < data.size() && std::isdigit(static_cast<unsigned char>(data[at])) && digits < 9;
         ++at, ++digits)
        v = v * 10 + (data[at] - '0');
    return digits == 0 ? -1 : v;
}

} // namespace

xcPelBuffer<unsigned char> readPgm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    const std::vector<char> data((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
    if (data.size() < 2 || data[0] != 'P' || data[1] != '5')
        throw std::runtime_error(path + " is not a binary PGM file");
    std::size_t at = 2;
    const long w = headerNumber(data, at), h = headerNumber(data, at),
               maxVal = headerNumber(data, at);
    if (w <= 0 || h <= 0 || maxVal <= 0 || maxVal > 255 || at >= data.size())
        throw std::runtime_error(path + " has a bad PGM header");
    ++at; // the single white-space character after the maximum value
    if (data.size() - at < static_cast<std::size_t>(w) * static_cast<std::size_t>(h))
        throw std::runtime_error(path + " is shorter than its header says");
    xcPelBuffer<unsigned char> img(w, h);
    for (long y = 0; y < h; ++y) {
        const char* row = data.data() + at + static_cast<std::size_t>(y * w);
        std::copy(row, row + w, reinterpret_cast<char*>(img.rowPointer(y)));
    }
    return img;
}

} // namespace oc_test
