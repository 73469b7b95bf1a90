#include "report/html_report.h"

#include "diag/diag_object.h"
#include "report/detail/page_text.h"
#include "report/detail/png_encode.h"
#include "report/detail/svg_overlay.h"

#include <algorithm>
#include <fstream>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace oc_tools {

using detail::escapeHtml;
using detail::svgNumber;

namespace {

using Image = xcPelBuffer_const<unsigned char>;

// Small images are shown enlarged, by whole pels, up to this size on screen; large ones shrink
// to the page's width.
constexpr long kMinShownPx = 320;
constexpr long kMaxZoom = 8;

const char* const kStyle = R"(body{font:14px/1.4 sans-serif;margin:1em 2em;color:#222}
details{margin:.3em 0 .3em 1.2em;border-left:2px solid #ccd;padding-left:.6em}
body>details{margin-left:0}
summary{cursor:pointer;font-weight:bold}
summary .kind{font-weight:normal;color:#667;margin-right:.5em}
summary .index{font-weight:normal;color:#99a;margin-left:.5em}
figure{margin:.5em 0}
figcaption,.legend,.note{color:#555;font-size:12px}
svg.view{display:block;max-width:100%;height:auto;background:#eee}
svg.defs{position:absolute;width:0;height:0}
.overlay *{vector-effect:non-scaling-stroke}
table.text{border-collapse:collapse;margin:.5em 0;font:12px monospace}
table.text caption{text-align:left;font:bold 12px sans-serif;padding-bottom:.2em}
table.text td{border:1px solid #ccd;padding:1px 6px;white-space:pre;vertical-align:top}
table.text td[colspan]{white-space:pre-wrap;overflow-wrap:anywhere}
)";

bool drawable(const xcDiagRecord& r) {
    return r.hasImage() && r.image().isBound() && r.image().width() > 0 && r.image().height() > 0;
}

// Which image each record is drawn over, and the distinct images the page embeds.
struct Plan {
    // Per record: the record whose image it shows (itself, or for graphics without an image the
    // nearest earlier record with one at the same or a lower level), or -1.
    std::vector<long> host;
    // Per record with an image: its index in `pels`, and the graphics records drawn over it,
    // which its own figure shows too, as a viewer layers them over the image it shows.
    std::vector<long> pelsOf;
    std::vector<std::vector<long>> layered;
    // One handle per distinct pel window (same root and same window in it), encoded once.
    std::vector<Image> pels;
};

Plan planPage(const xcDiagObject& rec) {
    Plan plan;
    const auto n = static_cast<std::size_t>(rec.numRecords());
    plan.host.assign(n, -1);
    plan.pelsOf.assign(n, -1);
    plan.layered.resize(n);
    // Candidate hosts by rising level: a record with an image hides every earlier one at its
    // level or deeper from the records after it.
    std::vector<long> hosts;
    for (long i = 0; i < rec.numRecords(); ++i) {
        const xcDiagRecord& r = *rec.diagRecord(i);
        const auto at = static_cast<std::size_t>(i);
        if (drawable(r)) {
            const Image& img = r.image();
            const auto same = std::find_if(plan.pels.begin(), plan.pels.end(), [&](const Image& p) {
                return p.sharesRoot(img) && p.rootWindow() == img.rootWindow();
            });
            plan.pelsOf[at] = same - plan.pels.begin();
            if (same == plan.pels.end()) plan.pels.push_back(img);
            plan.host[at] = i;
            while (!hosts.empty() && rec.diagRecord(hosts.back())->level() >= r.level())
                hosts.pop_back();
            hosts.push_back(i);
        } else if (!r.graphics().empty()) {
            for (auto h = hosts.rbegin(); h != hosts.rend(); ++h)
                if (rec.diagRecord(*h)->level() <= r.level()) {
                    plan.host[at] = *h;
                    plan.layered[static_cast<std::size_t>(*h)].push_back(i);
                    break;
                }
        }
    }
    return plan;
}

void writeImageDefs(std::ostream& os, const Plan& plan) {
    os << "<svg class=\"defs\" aria-hidden=\"true\"><defs>\n";
    for (std::size_t k = 0; k < plan.pels.size(); ++k) {
        const Image& img = plan.pels[k];
        os << "<image id=\"im" << k << "\" width=\"" << img.width() << "\" height=\""
           << img.height() << "\" preserveAspectRatio=\"none\" style=\"image-rendering:pixelated\""
           << " href=\"data:image/png;base64," << detail::base64(detail::encodePng(img))
           << "\"/>\n";
    }
    os << "</defs></svg>\n";
}

void writeLegend(std::ostream& os, const xcDiagRecord& r) {
    for (const xcDiagGraphics& g : r.graphics()) {
        const long n = g.list().size();
        os << "<div class=\"legend\">" << escapeHtml(g.title()) << " ("
           << (g.coordinateSystem() == xcDisplay::eImageCoords ? "image" : "client")
           << " coordinates, " << n << (n == 1 ? " shape" : " shapes") << ")</div>\n";
    }
}

// The record's own image, or its graphics over its host's image.
void writeFigureOverImage(std::ostream& os, const xcDiagObject& rec, const Plan& plan, long index) {
    const xcDiagRecord& r = *rec.diagRecord(index);
    const long hostIndex = plan.host[static_cast<std::size_t>(index)];
    const xcDiagRecord& host = *rec.diagRecord(hostIndex);
    const Image& img = host.image();
    const xcPelRect w = img.window();
    const long zoom = std::clamp(kMinShownPx / std::max(w.width(), w.height()), 1L, kMaxZoom);
    os << "<figure><svg class=\"view\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"" << w.x()
       << ' ' << w.y() << ' ' << w.width() << ' ' << w.height() << "\" width=\"" << w.width() * zoom
       << "\" height=\"" << w.height() * zoom << "\">\n<use href=\"#im"
       << plan.pelsOf[static_cast<std::size_t>(hostIndex)] << "\" x=\"" << w.x() << "\" y=\""
       << w.y() << "\"/>\n<g class=\"overlay\">\n";
    const detail::OverlayFrame frame{img.imageFromClientXform(), 1.0 / double(zoom)};
    for (const xcDiagGraphics& g : r.graphics()) detail::writeSvgGraphics(os, g, frame);
    os << "</g>\n";
    const std::vector<long> none;
    const auto& layers = hostIndex == index ? plan.layered[static_cast<std::size_t>(index)] : none;
    for (const long k : layers) {
        os << "<g class=\"overlay\" data-record=\"" << k << "\">\n";
        for (const xcDiagGraphics& g : rec.diagRecord(k)->graphics())
            detail::writeSvgGraphics(os, g, frame);
        os << "</g>\n";
    }
    os << "</svg>\n<figcaption>";
    if (hostIndex == index)
        os << "Image " << escapeHtml(r.imageTitle()) << ": " << w.width() << " x " << w.height()
           << " at (" << w.x() << ", " << w.y() << ")";
    else
        os << "Drawn over the image of #" << hostIndex << ' ' << escapeHtml(host.title());
    for (std::size_t k = 0; k < layers.size(); ++k)
        os << (k == 0 ? "; with the graphics of #" : ", #") << layers[k];
    os << "</figcaption></figure>\n";
}

// Graphics with no image to draw over, on a blank canvas around them (client coordinates as
// they are).
void writeFigureAlone(std::ostream& os, const xcDiagRecord& r) {
    std::ostringstream shapes;
    detail::OverlayBounds b;
    for (const xcDiagGraphics& g : r.graphics())
        detail::writeSvgGraphics(shapes, g, detail::OverlayFrame{}, &b);
    if (b.empty) return;
    const double margin = 4.0, width = b.x1 - b.x0 + 2 * margin, height = b.y1 - b.y0 + 2 * margin;
    os << "<figure><svg class=\"view\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\""
       << svgNumber(b.x0 - margin) << ' ' << svgNumber(b.y0 - margin) << ' ' << svgNumber(width)
       << ' ' << svgNumber(height) << "\" width=\"" << svgNumber(width) << "\" height=\""
       << svgNumber(height) << "\">\n<g class=\"overlay\">\n"
       << shapes.str() << "</g></svg>\n<figcaption>No image to draw over</figcaption></figure>\n";
}

// Rows at "\n" (a final one starts no row), cells at runs of tabs (the recorders' texts pad with
// extra tabs to line columns up on a terminal), every other character kept. A row without a tab
// spans the table's width, so that a long line of prose does not widen its first column.
void writeTextTable(std::ostream& os, const xcDiagText& t) {
    const std::string_view body = t.body();
    std::vector<std::vector<std::string_view>> rows;
    std::size_t columns = 1;
    for (std::size_t start = 0; start < body.size();) {
        const std::size_t end = std::min(body.find('\n', start), body.size());
        const std::string_view line = body.substr(start, end - start);
        std::vector<std::string_view>& cells = rows.emplace_back();
        for (std::size_t cell = 0;;) {
            const std::size_t tab = std::min(line.find('\t', cell), line.size());
            cells.push_back(line.substr(cell, tab - cell));
            if (tab == line.size()) break;
            cell = tab + 1;
            while (cell < line.size() && line[cell] == '\t') ++cell;
        }
        columns = std::max(columns, cells.size());
        start = end + 1;
    }
    os << "<table class=\"text\"><caption>" << escapeHtml(t.title()) << "</caption>\n";
    for (const auto& cells : rows) {
        os << "<tr>";
        if (cells.size() == 1 && columns > 1)
            os << "<td colspan=\"" << columns << "\">" << escapeHtml(cells[0]) << "</td>";
        else
            for (const std::string_view c : cells) os << "<td>" << escapeHtml(c) << "</td>";
        os << "</tr>\n";
    }
    os << "</table>\n";
}

void writeRecordBody(std::ostream& os, const xcDiagObject& rec, const Plan& plan, long index) {
    const xcDiagRecord& r = *rec.diagRecord(index);
    for (const std::string& a : r.annotations())
        os << "<p class=\"note\">" << escapeHtml(a) << "</p>\n";
    if (r.hasImage() && !drawable(r))
        os << "<p class=\"note\">Image " << escapeHtml(r.imageTitle()) << ": "
           << (r.image().isBound() ? "empty window" : "unbound") << "</p>\n";
    if (plan.host[static_cast<std::size_t>(index)] >= 0)
        writeFigureOverImage(os, rec, plan, index);
    else if (!r.graphics().empty())
        writeFigureAlone(os, r);
    writeLegend(os, r);
    for (const xcDiagText& t : r.texts()) writeTextTable(os, t);
}

} // namespace

void writeHtmlReport(const xcDiagObject& rec, const std::string& title, std::ostream& out) {
    const Plan plan = planPage(rec);
    out << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n<title>"
        << escapeHtml(title) << "</title>\n<style>\n"
        << kStyle << "</style></head>\n<body>\n<h1>" << escapeHtml(title) << "</h1>\n"
        << "<p class=\"note\">" << rec.numRecords()
        << (rec.numRecords() == 1 ? " record" : " records") << "</p>\n";
    writeImageDefs(out, plan);
    // Records deeper than the one before nest inside it; the top level starts open.
    std::vector<long> open;
    for (long i = 0; i < rec.numRecords(); ++i) {
        const xcDiagRecord& r = *rec.diagRecord(i);
        while (!open.empty() && open.back() >= r.level()) {
            out << "</details>\n";
            open.pop_back();
        }
        out << "<details" << (open.empty() ? " open" : "") << " data-level=\"" << r.level()
            << "\"><summary><span class=\"kind\">" << xfDiagRecordKindName(r.kind()) << "</span>"
            << escapeHtml(r.title()) << "<span class=\"index\">#" << i << "</span></summary>\n";
        writeRecordBody(out, rec, plan, i);
        open.push_back(r.level());
    }
    for (std::size_t k = 0; k < open.size(); ++k) out << "</details>\n";
    out << "</body></html>\n";
}

void writeHtmlReport(const xcDiagObject& rec, const std::string& title, const std::string& path) {
    std::ofstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("Cannot write the report file " + path);
    writeHtmlReport(rec, title, file);
    file.close();
    if (!file) throw std::runtime_error("Cannot write the report file " + path);
}

} // namespace oc_tools
