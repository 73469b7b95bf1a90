#include "diag/diag_dump.h"

#include "diag/detail/number_text.h"

#include <ostream>
#include <sstream>
#include <string>

using xcDiagDetail::num;

namespace {

// Control characters made visible; quotes and backslashes escaped only inside quotes.
std::string escaped(const std::string& s, bool quoted) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (quoted && (c == '"' || c == '\\')) {
            out += '\\';
            out += ch;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\0') {
            out += "\\0";
        } else if ((c < 0x20 && c != '\t') || c == 0x7f) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

std::string quoted(const std::string& s) {
    return "\"" + escaped(s, true) + "\"";
}

void dumpRecord(const xcDiagRecord& r, long index, std::ostream& os) {
    const std::string in(static_cast<std::size_t>(2 * r.level()), ' ');
    os << in << '#' << num(index) << ' ' << xfDiagRecordKindName(r.kind()) << ", level "
       << num(r.level()) << ", " << quoted(r.title()) << '\n';
    for (const auto& a : r.annotations()) os << in << "  annotation " << quoted(a) << '\n';
    if (r.hasImage()) {
        os << in << "  image " << quoted(r.imageTitle()) << ": ";
        if (r.image().isBound()) {
            const xcPelRect w = r.image().window();
            os << num(w.width()) << " x " << num(w.height()) << " at (" << num(w.x()) << ", "
               << num(w.y()) << ")";
        } else {
            os << "unbound";
        }
        os << ", options " << std::to_string(r.displayOptions()) << '\n';
    }
    for (const auto& t : r.texts()) {
        os << in << "  text " << quoted(t.title()) << '\n';
        const std::string& body = t.body();
        std::size_t start = 0;
        while (start < body.size()) {
            std::size_t end = body.find('\n', start);
            if (end == std::string::npos) end = body.size();
            os << in << "    | " << escaped(body.substr(start, end - start), false) << '\n';
            start = end + 1;
        }
    }
    for (const auto& g : r.graphics()) {
        const long n = g.list().size();
        os << in << "  graphics " << quoted(g.title()) << " in "
           << (g.coordinateSystem() == xcDisplay::eImageCoords ? "image" : "client")
           << " coordinates, " << num(n) << (n == 1 ? " shape" : " shapes") << '\n';
        for (long i = 0; i < n; ++i) {
            const xcGraphic& s = g.list().at(i);
            os << in << "    " << num(i) << ": " << s.describe() << "; " << s.props().describe()
               << '\n';
        }
    }
}

} // namespace

void xf_DiagDump(const xcDiagObject& diag, std::ostream& os) {
    for (long i = 0; i < diag.numRecords(); ++i) dumpRecord(*diag.diagRecord(i), i, os);
}

std::string xf_DiagDumpText(const xcDiagObject& diag) {
    std::ostringstream os;
    xf_DiagDump(diag, os);
    return os.str();
}
