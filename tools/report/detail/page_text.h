// Text encodings the report page needs: HTML escaping, base64 and short numbers for SVG.
#pragma once

#include <string>
#include <string_view>

namespace oc_tools::detail {

// The text as HTML character data or attribute value: & < > " ' become entities; control
// characters other than tab and newline become their visible pictures (U+2400 + code, U+2421
// for DEL), as HTML cannot carry them.
std::string escapeHtml(std::string_view s);

// Standard base64 (RFC 4648) with '=' padding.
std::string base64(std::string_view bytes);

// A finite number with at most three decimals and no trailing zeros ("12.5", "-3", "0.125").
std::string svgNumber(double v);

} // namespace oc_tools::detail
