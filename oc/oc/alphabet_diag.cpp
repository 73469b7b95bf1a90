#include "oc/oc/alphabet_diag.h"

#include "core/geom/coord_axes.h"
#include "core/image/pel_ops.h"
#include "core/text/str.h"
#include "diag/diag_object.h"
#include "diag/graphics.h"
#include "oc/oc/alphabet.h"

#include <algorithm>
#include <cassert>

namespace {

// Raises the recorder's level for the records made while it lives.
class Deeper {
public:
    explicit Deeper(xcDiagObject* diag) : diag_(diag) { diag_->level(diag_->level() + 1); }
    ~Deeper() { diag_->level(diag_->level() - 1); }
    Deeper(const Deeper&) = delete;
    Deeper& operator=(const Deeper&) = delete;

private:
    xcDiagObject* diag_;
};

std::string dbl(double v) {
    return xfDbl(v, 3, false);
}

std::string hexKey(long key) {
    return xfHex(static_cast<long long>(key), 8);
}

std::string quoted(const std::string& name) {
    return "'" + name + "'";
}

std::string typeText(xcOCModel::CharType type) {
    switch (type) {
    case xcOCModel::eNormal:
        return "eNormal";
    case xcOCModel::eBlank:
        return "eBlank";
    }
    return "InvalidEnumValue";
}

std::string rectText(const xcPelRect& r) {
    return "ul(" + xfStr(r.x()) + ", " + xfStr(r.y()) + ") " + "lr(" + xfStr(r.right()) + ", " +
           xfStr(r.bottom()) + ") " + "size(" + xfStr(r.width()) + ", " + xfStr(r.height()) + ")";
}

std::string pairsText(const xcOCAlphabet& a) {
    std::string text = std::string("Confusing pairs:") + "\n";
    for (const xcPtrHandle_const<xcOCModel>& ri : a.characters()) {
        if (ri.isNull()) continue;
        for (const xcPtrHandle_const<xcOCModel>& cj : a.characters()) {
            if (cj.isNull() || ri->key() == cj->key()) continue;
            const double score = a.confusion(ri->key(), cj->key());
            if (!(score > a.confusionThreshold())) continue;
            const xcXform<2> offset = a.characterOffset(ri->key(), cj->key());
            // The tool searches translations only, so an offset never turns or scales.
            assert(xfRealEq(offset.matrix(), xcMatrix<2>(), 1e-15));
            text += "score " + dbl(score) + " for (" + quoted(ri->name()) + ", " +
                    quoted(cj->name()) + ") keys(" + hexKey(ri->key()) + ", " + hexKey(cj->key()) +
                    ") at " + "(" + dbl(offset.trans().x()) + ", " + dbl(offset.trans().y()) + ")" +
                    "\n";
        }
    }
    return text;
}

// The image area (image pels) and the client axes over a character's image or mask record.
void addGraphics(xcDiagRecord* record, const xcPelRect& area) {
    xcGraphicList areaList;
    areaList.push(xcGraphicRect(
        xcRect(double(area.x()), double(area.y()), double(area.width()), double(area.height())),
        xcGraphicProps(xcColor::eGreen), false));
    record->graphics(areaList, 1, "Image area");
    const double len = std::max(3.0, 0.5 * double(std::min(area.width(), area.height())));
    xcGraphicList axes;
    axes.push(xcGraphicSimple(
        xcCoordAxes(xcVector<2>(0.0, 0.0), xcVector<2>(len, 0.0), xcVector<2>(0.0, len)),
        xcGraphicProps(xcColor::eBlue)));
    record->graphics(axes, 2, "Client coordinate axes");
}

void addMask(xcDiagObject* diag, const xcOCModel& m) {
    const Deeper deeper(diag);
    xcDiagRecord* record = xf_AddImage(diag, m.mask(), "mask", true);
    addGraphics(record, m.imageArea());
    if (m.charType() == xcOCModel::eNormal) {
        xcPelBuffer_const<unsigned char> care = m.mask();
        care.window(m.imageArea());
        const xcHistoStats histogram = xfPelHistogram(care);
        unsigned long ignored = 0;
        for (int g = 0; g < 128; ++g) ignored += histogram.count(g);
        const long area = m.imageArea().width() * m.imageArea().height();
        record->text(std::string("Mask info") + "\n" +
                         "  nCarePixels = " + xfStr(area - static_cast<long>(ignored)) + "\n" +
                         "  nDontCarePixels = " + xfStr(ignored) + "\n",
                     "Mask info");
    }
}

void addCharacter(xcDiagObject* diag, long index, const xcOCModel& m) {
    const std::string qname = quoted(m.name());
    xcDiagRecord* record =
        xf_AddImage(diag, m.image(), "Character #" + xfStr(index) + ": " + qname, true);
    std::string text = std::string("Character info") + "\n";
    text += "  key = " + hexKey(m.key()) + "\n";
    text += "  name = " + qname + "\n";
    text += "  description = '" + m.description() + "'" + "\n";
    text += "  type = " + typeText(m.charType()) + "\n";
    text += "  imageArea = " + rectText(m.imageArea()) + "\n";
    if (m.image().isBound() && m.charType() == xcOCModel::eNormal) {
        xcPelBuffer_const<unsigned char> area = m.image();
        area.window(m.imageArea());
        text += "  minPixelValue = " + xfStr(int(xfPelMin(area))) + "\n";
        text += "  maxPixelValue = " + xfStr(int(xfPelMax(area))) + "\n";
    }
    record->text(text, "Character info");
    addGraphics(record, m.imageArea());
    if (m.mask().isBound()) addMask(diag, m);
}

} // namespace

std::string xf_ConfusionMatrix(const xcOCAlphabet* alphabet, bool listPairs) {
    if (alphabet == nullptr || alphabet->numChars() == 0 || !alphabet->isCompiled()) return "";
    const xcOCAlphabet& a = *alphabet;
    std::string text = std::string("Confusion matrix:") + "\n";
    for (const xcPtrHandle_const<xcOCModel>& c : a.characters())
        if (!c.isNull()) text += "\t'" + c->name() + "'";
    text += "\n";
    for (const xcPtrHandle_const<xcOCModel>& ri : a.characters()) {
        if (ri.isNull()) continue;
        text += quoted(ri->name());
        for (const xcPtrHandle_const<xcOCModel>& cj : a.characters())
            if (!cj.isNull()) text += "\t" + dbl(a.confusion(ri->key(), cj->key()));
        text += "\n";
    }
    if (listPairs) text += pairsText(a);
    return text;
}

xcDiagRecord* xf_AddAlphabet(xcDiagObject* diag, const xcOCAlphabet* alphabet,
                             const std::string& title, bool perCharacter) {
    if (diag == nullptr || alphabet == nullptr) return nullptr;
    const xcOCAlphabet& a = *alphabet;
    xcDiagRecord* general = diag->newDiagRecord();
    general->recordAnnotation(title);
    const std::string body = std::string("Alphabet general info") + "\n" + "  name = '" + a.name() +
                             "'" + "\n" + "  numChars = " + xfStr(a.numChars()) + "\n" +
                             "  confusionThreshold = " + dbl(a.confusionThreshold()) + "\n" +
                             "  isCompiled = " + xfStr(a.isCompiled()) + "\n" +
                             xf_ConfusionMatrix(alphabet, true) + "\n";
    general->text(body, "Alphabet general info");
    if (!perCharacter) return general;

    const long generalIndex = diag->numRecords() - 1;
    {
        const Deeper deeper(diag);
        for (std::size_t i = 0; i < a.characters().size(); ++i)
            if (!a.characters()[i].isNull())
                addCharacter(diag, static_cast<long>(i), *a.characters()[i]);
    }
    return diag->diagRecord(generalIndex);
}
