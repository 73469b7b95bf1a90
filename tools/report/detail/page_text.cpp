#include "report/detail/page_text.h"

#include <cmath>
#include <cstdio>

namespace oc_tools::detail {

std::string escapeHtml(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            if ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7f) {
                // U+2400 + c (U+2421 for DEL) in UTF-8: E2 90 80+c.
                const unsigned pic = c == 0x7f ? 0x21u : c;
                out += static_cast<char>(0xE2);
                out += static_cast<char>(0x90);
                out += static_cast<char>(0x80 + pic);
            } else {
                out += ch;
            }
        }
    }
    return out;
}

std::string base64(std::string_view bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const unsigned v = unsigned(static_cast<unsigned char>(bytes[i])) << 16 |
                           unsigned(static_cast<unsigned char>(bytes[i + 1])) << 8 |
                           unsigned(static_cast<unsigned char>(bytes[i + 2]));
        out += digits[v >> 18];
        out += digits[(v >> 12) & 63];
        out += digits[(v >> 6) & 63];
        out += digits[v & 63];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        unsigned v = unsigned(static_cast<unsigned char>(bytes[i])) << 16;
        if (rest == 2) v |= unsigned(static_cast<unsigned char>(bytes[i + 1])) << 8;
        out += digits[v >> 18];
        out += digits[(v >> 12) & 63];
        out += rest == 2 ? digits[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string svgNumber(double v) {
    // Rounding first keeps "-0" out of the page; beyond 1e15 there are no decimals to round.
    double r = std::fabs(v) < 1e15 ? std::round(v * 1000.0) / 1000.0 : v;
    if (r == 0.0) r = 0.0;
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.3f", r);
    std::string s(buf);
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
}

} // namespace oc_tools::detail
