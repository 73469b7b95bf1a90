// The arranger's output records: the overall result, each line's details and all lines' graphics.
#include "oc/arrange/arrange_diag.h"

#include "core/geom/angle.h"
#include "core/text/str.h"
#include "diag/diag_object.h"
#include "diag/graphics.h"
#include "oc/arrange/detail/diag_text.h"

using oc_detail::DiagDeeper;

namespace {

using Defs = xcOCArrangeDefs;

std::string degText(xcRadian a) {
    return oc_detail::diagDbl(xcDegree(a).toDouble());
}

// "xcXform<2>(tx,ty): xcMatrix<2>[a,b,c,d]" followed by the matrix's angles and scales.
std::string xformText(const xcXform<2>& x) {
    const xcMatrix<2>& m = x.matrix();
    return "xcXform<2>(" + xfStr(x.trans().x()) + "," + xfStr(x.trans().y()) + "): xcMatrix<2>[" +
           xfStr(m.a()) + "," + xfStr(m.b()) + "," + xfStr(m.c()) + "," + xfStr(m.d()) + "]" +
           " xRot=" + degText(x.xRot()) + " degrees " + " yRot=" + degText(x.yRot()) + " degrees " +
           " xScale=" + oc_detail::diagDbl(x.xScale()) +
           " yScale=" + oc_detail::diagDbl(x.yScale());
}

std::string rigidText(const xc2Rigid& r) {
    return "angle " + degText(r.angle()) + " degrees, translation (" +
           oc_detail::diagDbl(r.translation().x()) + ", " +
           oc_detail::diagDbl(r.translation().y()) + ")";
}

// The names line up in one column: the shorter ones carry a trailing space.
std::string statusText(Defs::CharStatus s) {
    switch (s) {
    case Defs::eMatched:
        return "eMatched ";
    case Defs::eInferred:
        return "eInferred";
    case Defs::eUnknown:
        return "eUnknown ";
    }
    return "BadEnumValue";
}

// Status and score of character i; results read from an archive may have short vectors.
Defs::CharStatus statusOf(const xcOCArrangeResults& results, long i) {
    const auto& s = results.statusFlags();
    return i >= 0 && i < static_cast<long>(s.size()) ? s[static_cast<std::size_t>(i)]
                                                     : Defs::eUnknown;
}

std::string overallText(const xcOCAlphabet& alphabet, const std::vector<long>& keys,
                        const xcOCArrangeResults& results) {
    std::string text = "isFound: " + xfStr(results.isFound()) + "\n";
    text += "isSearchTruncated: " + xfStr(results.isSearchTruncated()) + "\n";
    text += "clientFromArrangementXform: " + xformText(results.clientFromArrangementXform()) + "\n";
    const long n = static_cast<long>(results.statusFlags().size());
    text += "Number of characters: " + xfStr(n) + "\n";
    text += "Index\tStatus\t\tScore\tKey\t\tName\tType\tSize\n";
    for (long i = 0; i < n; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const double score = at < results.scores().size() ? results.scores()[at] : 0.0;
        const long key = at < keys.size() ? keys[at] : -1;
        text += xfStr(i) + "\t" + statusText(results.statusFlags()[at]) + "\t" +
                oc_detail::diagDbl(score) + "\t" + oc_detail::diagHexKey(key) + "\t" +
                oc_detail::diagModelColumns(alphabet, key) + "\n";
    }
    const xcPtrHandle_const<xcOCLineArrangement>& arrangement = results.arrangement();
    text +=
        "Arrangement name: " + (arrangement.isNull() ? std::string() : arrangement->name()) + "\n";
    text += "Number of lines: " + xfStr(arrangement.isNull() ? 0L : arrangement->numLines()) + "\n";
    return text;
}

std::string lineDetails(const xcOCLine& line, const xc2Rigid& linePose,
                        const xcOCArrangeResults& results, long first) {
    std::string text = "Line pose: " + rigidText(linePose) + "\n";
    text += "Number of positions: " + xfStr(line.numPositions()) + "\n";
    for (long p = 0; p < line.numPositions(); ++p) {
        const auto at = static_cast<std::size_t>(p);
        const xcOCKeySet& keySet = line.keySetSequence()[at];
        const std::vector<long> keys =
            keySet.isCurrentWildcard() ? std::vector<long>() : keySet.currentKeys();
        text += "Position #" + xfStr(p) + "\n";
        text += "  Number of characters: " + xfStr(static_cast<long>(keys.size())) + "\n";
        for (std::size_t c = 0; c < keys.size(); ++c) {
            const xcOCModel& m = *line.alphabet()->character(keys[c]);
            text += "    Character #" + xfStr(static_cast<long>(c)) + "\n";
            text += "      Name: '" + m.name() + "' " +
                    "  Type: " + oc_detail::diagTypeText(m.charType()) +
                    "  Key: " + oc_detail::diagHexKey(m.key()) + "\n";
            text += "      Status: " + statusText(statusOf(results, first + p)) + "\n";
            text += "      Pose: " + rigidText(line.charPoses()[at]) + "\n";
            text += "      Scale: " + oc_detail::diagDbl(line.charScales()[at]) + "\n";
        }
    }
    return text;
}

xcColor statusColor(Defs::CharStatus s) {
    return s == Defs::eMatched    ? xcColor::eGreen
           : s == Defs::eInferred ? xcColor::eOrange
                                  : xcColor::eGrey;
}

// clientFromLine places the line in the run-time image's client frame. Each position's model
// area (model client coordinates) goes to its pose and scale; the line's enclosing rectangle is
// taken in image pels when the image's transform allows and drawn back in client coordinates.
xcGraphicList lineGraphics(const xcOCLine& line, const xcXform<2>& clientFromLine,
                           const xcPelBuffer_const<unsigned char>& image,
                           const xcOCArrangeResults& results, long first) {
    xcGraphicList list;
    for (long p = 0; p < line.numPositions(); ++p) {
        const auto at = static_cast<std::size_t>(p);
        if (line.keySetSequence()[at].isCurrentWildcard()) continue;
        const xcOCModel& m = *line.character(p);
        const xc2Rigid& pose = line.charPoses()[at];
        const xcXform<2> place =
            clientFromLine * xcXform<2>(xcMatrix<2>::rotation(pose.angle(), line.charScales()[at]),
                                        pose.translation());
        const xcXformHandle modelClient = m.image().clientFromImageXform();
        const xcPelRect& area = m.imageArea();
        const xcAffineRectangle rect(place.mapPoint(modelClient->mapPoint(area.ul())),
                                     place.mapPoint(modelClient->mapPoint(area.ur())),
                                     place.mapPoint(modelClient->mapPoint(area.ll())));
        list.push(xcGraphicSimple(rect, xcGraphicProps(statusColor(statusOf(results, first + p)))));
    }
    const xcXformHandle imageClient = image.clientFromImageXform();
    const xcXform<2> clientFromImage =
        imageClient->isLinear() ? imageClient->xform() : xcXform<2>::identity();
    const xcRect box = line.encloseRect(clientFromLine, xcXform<2>(), clientFromImage, 0.0,
                                        xcRadian(0.0), 0.0, false);
    if (!box.isNull())
        list.push(xcGraphicSimple(xcAffineRectangle(box).map(clientFromImage),
                                  xcGraphicProps(xcColor::eYellow)));
    return list;
}

} // namespace

void xf_RecordArrangeOutput_(xcDiagObject* rec, const xcPelBuffer_const<unsigned char>& image,
                             const xcOCAlphabet& alphabet, const std::vector<long>& keys,
                             const xcOCArrangeResults& results) {
    if (rec == nullptr) return;
    xcDiagRecord* record = xf_AddImage(rec, image, "OC Arranger: Output");
    record->text(overallText(alphabet, keys, results), "Overall info");
    xcGraphicList all;
    if (!results.arrangement().isNull()) {
        const DiagDeeper deeper(rec);
        const xcOCLineArrangement& arrangement = *results.arrangement();
        long first = 0; // key index of the line's first position
        for (long l = 0; l < arrangement.numLines(); ++l) {
            const xcPtrHandle_const<xcOCLine>& line = arrangement.lines()[std::size_t(l)];
            if (line.isNull()) continue;
            const auto at = static_cast<std::size_t>(l);
            const xc2Rigid linePose =
                at < arrangement.linePoses().size() ? arrangement.linePoses()[at] : xc2Rigid();
            const xcXform<2> clientFromLine =
                results.clientFromArrangementXform() * linePose.linear();
            const xcGraphicList list = lineGraphics(*line, clientFromLine, image, results, first);
            xcDiagRecord* details = xf_AddImage(rec, image, "Details for line #" + xfStr(l));
            details->graphics(list, xcDisplay::eClientCoords, "Graphics");
            details->text(lineDetails(*line, linePose, results, first), "Details");
            for (long g = 0; g < list.size(); ++g) all.push(list.at(g));
            first += line->numPositions();
        }
    }
    xf_AddGraphics(rec, all, xcDisplay::eClientCoords, "Arrangement graphics");
}
