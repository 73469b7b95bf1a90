#include "report/detail/svg_overlay.h"

#include "report/detail/page_text.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace oc_tools::detail {

void OverlayBounds::add(double x, double y) {
    if (empty) {
        x0 = x1 = x;
        y0 = y1 = y;
        empty = false;
        return;
    }
    x0 = std::min(x0, x);
    x1 = std::max(x1, x);
    y0 = std::min(y0, y);
    y1 = std::max(y1, y);
}

namespace {

using Points = std::vector<xcVector<2>>;

constexpr double kTwoPi = 2.0 * std::numbers::pi;
// Arcs are drawn as chords of at most this angle: a circle of 500 pels radius then strays from
// its chords by at most 0.54 pels.
constexpr double kArcStepRad = kTwoPi / 96.0;

std::string hexColour(const xcColor& c) {
    static const char hex[] = "0123456789abcdef";
    std::string s = "#";
    for (const unsigned char v : {c.red(), c.green(), c.blue()}) {
        s += hex[v >> 4];
        s += hex[v & 15];
    }
    return s;
}

// Dash patterns in multiples of the pen width, so that wide pens keep their look.
std::string dashArray(xePenStyle style, long width) {
    static const char* const patterns[] = {"", "4 2", "1 1", "4 2 1 2", "4 2 1 2 1 2"};
    if (style <= eSolid || style > eDashDotDot) return "";
    std::istringstream in(patterns[style]);
    std::string out;
    for (double v; in >> v;) out += (out.empty() ? "" : " ") + svgNumber(v * double(width));
    return out;
}

std::string attributes(const xcGraphicProps& p, bool filled) {
    const std::string colour = hexColour(p.color());
    std::string a = " stroke=\"" + colour + "\" stroke-width=\"" + std::to_string(p.penWidth()) +
                    "\" fill=\"" + (filled ? colour : std::string("none")) + "\"";
    const std::string dash = dashArray(p.penStyle(), p.penWidth());
    if (!dash.empty()) a += " stroke-dasharray=\"" + dash + "\"";
    return a;
}

std::string pointList(const Points& pts) {
    std::string s;
    for (const xcVector<2>& p : pts)
        s += (s.empty() ? "" : " ") + svgNumber(p.x()) + "," + svgNumber(p.y());
    return s;
}

Points arcPoints(const xcEllipseArc2& arc, bool& fullTurn) {
    const double span = std::clamp(arc.span().toDouble(), -kTwoPi, kTwoPi);
    fullTurn = std::fabs(span) >= kTwoPi;
    const long steps = std::max(1L, long(std::ceil(std::fabs(span) / kArcStepRad)));
    Points pts;
    // A full turn is closed by the polygon, so its last point (the first again) is left out.
    const long last = fullTurn ? steps - 1 : steps;
    for (long i = 0; i <= last; ++i)
        pts.push_back(
            arc.pointAt(xcRadian(arc.start().toDouble() + span * double(i) / double(steps))));
    return pts;
}

// The element (without attributes and end) and its points, in the shape's own coordinates.
struct Outline {
    std::string element; // "line", "polygon" or "polyline"
    Points pts;
};

Outline outlineOf(const xcGraphicSimple::Shape& shape) {
    if (const auto* s = std::get_if<xcLineSeg>(&shape)) return {"line", {s->p1(), s->p2()}};
    if (const auto* r = std::get_if<xcAffineRectangle>(&shape))
        return {"polygon", {r->cornerPo(), r->cornerPx(), r->cornerPopp(), r->cornerPy()}};
    if (const auto* a = std::get_if<xcCoordAxes>(&shape))
        return {"polyline", {a->xEnd(), a->origin(), a->yEnd()}};
    bool full = false;
    Points pts = arcPoints(std::get<xcEllipseArc2>(shape), full);
    return {full ? "polygon" : "polyline", std::move(pts)};
}

bool allFinite(const Points& pts) {
    return std::all_of(pts.begin(), pts.end(), [](const xcVector<2>& p) {
        return std::isfinite(p.x()) && std::isfinite(p.y());
    });
}

void writeOutline(std::ostream& os, const Outline& o, const std::string& attrs) {
    os << '<' << o.element;
    if (o.element == "line")
        os << " x1=\"" << svgNumber(o.pts[0].x()) << "\" y1=\"" << svgNumber(o.pts[0].y())
           << "\" x2=\"" << svgNumber(o.pts[1].x()) << "\" y2=\"" << svgNumber(o.pts[1].y()) << '"';
    else
        os << " points=\"" << pointList(o.pts) << '"';
    os << attrs;
}

// An icon centred on p, `half` SVG units from its centre to its edge.
void writeIcon(std::ostream& os, xcGraphicPointIcon::Icon icon, const xcVector<2>& p, double half,
               const std::string& attrs) {
    const std::string x0 = svgNumber(p.x() - half), x1 = svgNumber(p.x() + half);
    const std::string y0 = svgNumber(p.y() - half), y1 = svgNumber(p.y() + half);
    const std::string cx = svgNumber(p.x()), cy = svgNumber(p.y()), h = svgNumber(half);
    switch (icon) {
    case xcGraphicPointIcon::ePlus:
        os << "<path d=\"M" << x0 << ',' << cy << 'H' << x1 << 'M' << cx << ',' << y0 << 'V' << y1
           << '"';
        break;
    case xcGraphicPointIcon::eCross:
        os << "<path d=\"M" << x0 << ',' << y0 << 'L' << x1 << ',' << y1 << 'M' << x0 << ',' << y1
           << 'L' << x1 << ',' << y0 << '"';
        break;
    case xcGraphicPointIcon::eCircle:
        os << "<circle cx=\"" << cx << "\" cy=\"" << cy << "\" r=\"" << h << '"';
        break;
    case xcGraphicPointIcon::eSquare:
        os << "<rect x=\"" << x0 << "\" y=\"" << y0 << "\" width=\"" << svgNumber(2 * half)
           << "\" height=\"" << svgNumber(2 * half) << '"';
        break;
    case xcGraphicPointIcon::eDiamond:
        os << "<polygon points=\"" << cx << ',' << y0 << ' ' << x1 << ',' << cy << ' ' << cx << ','
           << y1 << ' ' << x0 << ',' << cy << '"';
        break;
    }
    os << attrs;
}

void closeElement(std::ostream& os, const xcGraphic& g, const std::string& tag) {
    os << "><title>" << escapeHtml(g.describe() + "; " + g.props().describe()) << "</title></"
       << tag << ">\n";
}

} // namespace

void writeSvgGraphics(std::ostream& os, const xcDiagGraphics& graphics, const OverlayFrame& frame,
                      OverlayBounds* bounds) {
    const bool client = graphics.coordinateSystem() == xcDisplay::eClientCoords;
    const auto toImage = [&](const xcVector<2>& p) {
        return client && frame.imageFromClient ? frame.imageFromClient->mapPoint(p) : p;
    };
    const xcGraphicList& list = graphics.list();
    for (long i = 0; i < list.size(); ++i) {
        const xcGraphic& g = list.at(i);
        Outline o;
        bool filled = false;
        const auto* icon = dynamic_cast<const xcGraphicPointIcon*>(&g);
        if (const auto* s = dynamic_cast<const xcGraphicSimple*>(&g)) {
            o = outlineOf(s->shape());
        } else if (const auto* r = dynamic_cast<const xcGraphicRect*>(&g)) {
            const xcRect& b = r->rect();
            const double x1 = b.x() + b.width(), y1 = b.y() + b.height();
            o = {"polygon", {{b.x(), b.y()}, {x1, b.y()}, {x1, y1}, {b.x(), y1}}};
            filled = r->fill();
        } else if (icon != nullptr) {
            o.pts = {icon->point()};
        } else {
            continue;
        }
        for (xcVector<2>& p : o.pts) p = toImage(p);
        if (!allFinite(o.pts)) continue;
        if (bounds != nullptr)
            for (const xcVector<2>& p : o.pts) bounds->add(p.x(), p.y());
        const std::string attrs = attributes(g.props(), filled);
        if (icon != nullptr) {
            writeIcon(os, icon->icon(), o.pts[0],
                      0.5 * double(icon->sizePels()) * frame.unitsPerScreenPx, attrs);
            static const char* const tags[] = {"path", "path", "circle", "rect", "polygon"};
            closeElement(os, g, tags[icon->icon()]);
        } else {
            writeOutline(os, o, attrs);
            closeElement(os, g, o.element);
        }
    }
}

} // namespace oc_tools::detail
