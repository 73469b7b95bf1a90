// The arranger's input, intermediate and "Build arrangement" records; the output records are in
// arrange_diag_output.cpp.
#include "oc/arrange/arrange_diag.h"

#include "core/geom/angle.h"
#include "core/text/str.h"
#include "diag/diag_object.h"
#include "diag/graphics.h"
#include "oc/arrange/detail/diag_text.h"
#include "oc/oc/alphabet_diag.h"

#include <locale>
#include <sstream>

using oc_detail::DiagDeeper;

namespace {

using Defs = xcOCArrangeDefs;

std::string imageInfo(const xcPelBuffer_const<unsigned char>& image) {
    return "Size:\t" + xfStr(image.width()) + " x " + xfStr(image.height()) + "\n" + "Offset:\t" +
           xfStr(image.offset().x()) + " x " + xfStr(image.offset().y()) + "\n";
}

// One row per key: index, key, then the model's name, type and image-area size.
std::string keyTable(const xcOCAlphabet& alphabet, const std::vector<long>& keys) {
    std::string text = "Number of characters: " + xfStr(static_cast<long>(keys.size())) + "\n" +
                       "Index\tKey\t\tName\tType\tSize\n";
    for (std::size_t i = 0; i < keys.size(); ++i)
        text += xfStr(static_cast<long>(i)) + "\t" + oc_detail::diagHexKey(keys[i]) + "\t" +
                oc_detail::diagModelColumns(alphabet, keys[i]) + "\n";
    return text;
}

std::string limitText(long limit) {
    return limit == xcOCArrangeParams::kNoLimit ? "No limit\n" : xfStr(limit) + "\n";
}

std::string runParams(const xcOCArrangeParams& p) {
    std::string text = "Max lines\t\t" + limitText(p.maxLines());
    text += "Max unmatched chars\t" + limitText(p.maxUnmatchedChars());
    text += "Line type\t\t\t";
    text += p.lineType() == Defs::eStraight   ? "Straight\n"
            : p.lineType() == Defs::eCircular ? "Circular\n"
                                              : "Don't care\n";
    text += "Orientation mode\t\t";
    text += p.orientationMode() == Defs::eSpecified ? "Specified\n" : "Average\n";
    text += "Orientation frame\t\t";
    text += p.orientationReference() == Defs::eAbsolute ? "Absolute\n" : "Relative\n";
    const xcRadian expected = p.expectedOrientation();
    text += "Expected Orientation\t" + oc_detail::diagDbl(expected.toDouble()) + " rad/" +
            oc_detail::diagDbl(xcDegree(expected).toDouble()) + " deg (" +
            (p.orientationMode() == Defs::eSpecified ? "used)\n" : "not used)\n");
    text += "Line break cost\t\t" + oc_detail::diagDbl(p.lineBreakCost()) + "\n";
    text += "Unmatched char cost\t" + oc_detail::diagDbl(p.unmatchedCharCost()) + "\n";
    text += "Normal trans cost\t\t" + oc_detail::diagDbl(p.normalTransCost()) + "\n";
    text += "Tangential trans cost\t" + oc_detail::diagDbl(p.tangentialTransCost()) + "\n";
    text += "Orientation cost\t\t" + oc_detail::diagDbl(p.orientationCost()) + "\n";
    text += "Scale cost\t\t" + oc_detail::diagDbl(p.scaleCost()) + "\n";
    return text;
}

// The per-character vectors exist only after a final evaluation; a shorter one reads as 0.
template <class T>
T at(const std::vector<T>& v, long i, T fallback) {
    return i >= 0 && i < static_cast<long>(v.size()) ? v[static_cast<std::size_t>(i)] : fallback;
}

std::string charName(const xc_ArrangeContext& ctx, long k) {
    const long key = at(ctx.keys, k, -1L);
    if (!ctx.alphabet.hasCharacter(key) || ctx.alphabet.character(key).isNull()) return "";
    return ctx.alphabet.character(key)->name();
}

double candidateScore(const xc_ArrangeContext& ctx, long k, long c) {
    if (k < 0 || k >= static_cast<long>(ctx.scores.size())) return 0.0;
    return at(ctx.scores[static_cast<std::size_t>(k)], c, 0.0);
}

// Streams show the details' numbers with two decimals, whatever the global locale.
std::ostringstream detailStream() {
    std::ostringstream os;
    os.imbue(std::locale::classic());
    os.setf(std::ios::fixed, std::ios::floatfield);
    os.precision(2);
    return os;
}

// The "Line #<l> details" table: one row per character, then the line's normalized sums.
std::string lineDetails(const xc_ArrangeContext& ctx, const xc_ArrangePath& path,
                        const xc_ArrangeFit& fit, long l,
                        const std::vector<Defs::CharStatus>& statuses) {
    const long start = path.lineStarts[static_cast<std::size_t>(l)], end = path.lineEnd(l);
    std::ostringstream os = detailStream();
    os << "Line " << l << ":\n"
       << (at(fit.lineTypes, l, Defs::eDontCare) == Defs::eCircular ? "Circular" : "Straight")
       << ", " << (end - start) << " characters\n";
    os << "Average angle: " << xcDegree(at(fit.lineAngles, l, xcRadian())).toDouble()
       << " degrees\n";
    os << "Aerage scale: " << at(fit.lineScales, l, 1.0) << "\n";
    os << "Cost details:\n"
       << "Index\tChar\tChoice\tMatch\tTan\tNorm\tRot\tScale\n";
    double match = 0.0, tan = 0.0, norm = 0.0, rot = 0.0, scale = 0.0;
    long matched = 0;
    for (long k = start; k < end; ++k) {
        os << k << "\t'" << charName(ctx, k) << "'\t";
        const long c = path.choices[static_cast<std::size_t>(k)];
        if (c < 0) {
            const bool inferred = at(statuses, k, Defs::eUnknown) == Defs::eInferred;
            os << "--\t" << 0 << "\tCharacter unmatched; pose "
               << (inferred ? "inferred" : "unknown") << "\n";
            continue;
        }
        const double m = 1.0 - candidateScore(ctx, k, c), t = at(fit.tangentialErrors, k, 0.0),
                     n = at(fit.normalErrors, k, 0.0), r = at(fit.rotationErrors, k, 0.0),
                     s = at(fit.scaleErrors, k, 0.0);
        os << c << "\t" << m << "\t" << t << "\t" << n << "\t" << r << "\t" << s << "\n";
        match += m, tan += t, norm += n, rot += r, scale += s;
        ++matched;
    }
    // The line's geometric costs weigh its matched characters up to its full length.
    const double f = matched > 0 ? static_cast<double>(end - start) / matched : 1.0;
    os << "Normalized total\t\t" << match * f << "\t" << tan * f << "\t" << norm * f << "\t"
       << rot * f << "\t" << scale * f << "\n";
    return os.str();
}

// Each placed character: its model area at its pose, a stroke along its x axis and its position.
void addCharacter(xcGraphicList& list, const xc_CharData& data, const xc_Pose& pose, bool matched) {
    const xcGraphicProps props(matched ? xcColor::eGreen : xcColor::eOrange);
    const xcXform<2> place = pose.xform();
    list.push(xcGraphicSimple(data.rect().map(place), props));
    const double strokeLength = 0.5 * data.rect().xLength();
    list.push(xcGraphicSimple(
        xcLineSeg(pose.translation, place.mapPoint(xcVector<2>(strokeLength, 0.0))), props));
    list.push(xcGraphicPointIcon(pose.translation, xcGraphicProps(xcColor::eYellow)));
}

std::string costText(const xc_ArrangeFit& fit) {
    std::ostringstream os = detailStream();
    os << "Best solution:\n";
    os << "Line break cost\t\t" << fit.lineBreakTerm << "\n";
    os << "Unmatched char cost\t" << fit.unmatchedTerm << "\n";
    os << "Normal trans cost\t\t" << fit.normalTerm << "\n";
    os << "Tangential trans cost\t" << fit.tangentialTerm << "\n";
    os << "Orientation cost\t\t" << fit.orientationTerm << "\n";
    os << "Scale cost\t\t" << fit.scaleTerm << "\n";
    os << "Total cost\t\t\t" << fit.totalCost() << "\n";
    return os.str();
}

} // namespace

void xf_RecordArrangeInput_(xcDiagObject* rec, const xcPelBuffer_const<unsigned char>& image,
                            const xcPelBuffer_const<unsigned char>& mask,
                            const xcOCAlphabet& alphabet, const std::vector<long>& keys,
                            const xcOCArrangeParams& params) {
    if (rec == nullptr) return;
    xcDiagRecord* record = xf_AddImage(rec, image, "OC Arranger: Input");
    record->text(imageInfo(image), "Image info");
    std::vector<long> alphabetKeys;
    for (const xcPtrHandle_const<xcOCModel>& m : alphabet.characters())
        if (!m.isNull()) alphabetKeys.push_back(m->key());
    record->text(keyTable(alphabet, alphabetKeys), "Alphabet info");
    record->text(keyTable(alphabet, keys), "Target string");
    record->text(runParams(params), "Run params");
    const DiagDeeper deeper(rec);
    if (mask.isBound()) xf_AddImage(rec, mask, "Runtime mask");
    xf_AddAlphabet(rec, &alphabet, "Alphabet details", true);
}

void xf_RecordArrangeIntermediate_(xcDiagObject* rec,
                                   const xcPelBuffer_const<unsigned char>& image) {
    if (rec == nullptr) return;
    xf_AddImage(rec, image, "OC Arranger: Intermediate");
}

void xf_RecordBuildArrangement_(xcDiagObject* rec, const xcPelBuffer_const<unsigned char>& image,
                                const xc_ArrangeContext& ctx, const xc_ArrangePath& path,
                                const xc_ArrangeFit& fit, bool found,
                                const std::vector<Defs::CharStatus>& statuses,
                                const std::vector<xc_Pose>& poses) {
    if (rec == nullptr) return;
    const DiagDeeper deeper(rec);
    if (!found) {
        xf_AddText(rec, "No valid solution found", "Arrangement cost");
        return;
    }
    xf_AddImage(rec, image, "Build arrangement");
    // Segments and arcs are kept only for the lines of their kind, in line order.
    std::size_t segment = 0, arc = 0;
    for (long l = 0; l < path.numLines(); ++l) {
        xcGraphicList list;
        const xcGraphicProps red(xcColor::eRed);
        const Defs::LineType type = at(fit.lineTypes, l, Defs::eDontCare);
        if (type == Defs::eStraight && segment < fit.lineSegments.size())
            list.push(xcGraphicSimple(fit.lineSegments[segment++], red));
        else if (type == Defs::eCircular && arc < fit.lineArcs.size())
            list.push(xcGraphicSimple(fit.lineArcs[arc++], red));
        for (long k = path.lineStarts[static_cast<std::size_t>(l)]; k < path.lineEnd(l); ++k) {
            const Defs::CharStatus status = at(statuses, k, Defs::eUnknown);
            if (status == Defs::eUnknown || k >= static_cast<long>(ctx.charData.size()) ||
                k >= static_cast<long>(poses.size()))
                continue;
            addCharacter(list, ctx.charData[static_cast<std::size_t>(k)],
                         poses[static_cast<std::size_t>(k)], status == Defs::eMatched);
        }
        const std::string title = "Line #" + xfStr(l);
        xf_AddGraphics(rec, list, xcDisplay::eClientCoords, title + " graphics");
        xf_AddText(rec, lineDetails(ctx, path, fit, l, statuses), title + " details");
    }
    xf_AddText(rec, costText(fit), "Arrangement cost");
}
