// A diagnostics recorder written as one self-contained HTML page.
#pragma once

#include <iosfwd>
#include <string>

class xcDiagObject;

namespace oc_tools {

// The page shows the record tree by level (collapsible), each record's image as an embedded PNG
// with its graphics drawn over it as SVG (in image or client coordinates), and its text records
// as tables. Nothing outside the page is referenced. A graphics record without an image is drawn
// over the image of the nearest earlier record with one at its level or above, and that record's
// picture shows it too.
void writeHtmlReport(const xcDiagObject& rec, const std::string& title, std::ostream& out);

// The same into a file; a file that cannot be written throws std::runtime_error naming it.
void writeHtmlReport(const xcDiagObject& rec, const std::string& title, const std::string& path);

} // namespace oc_tools
