#include "oc/occhar/char_diag.h"

#include "core/text/charcode.h"
#include "core/text/str.h"
#include "diag/diag_object.h"
#include "diag/graphics.h"
#include "oc/occhar/character.h"

std::string xf_OCCharKeyText(const xcOCCharKey& key) {
    return "Character code : " + xfStr(key.characterCode()) + "\n" +
           "Instance : " + xfStr(key.instance()) + "\n" + "Variant : " + xfStr(key.variant()) +
           "\n" + "FontID : " + xfStr(key.fontID()) + "\n";
}

xcDiagRecord* xf_AddOCChar(xcDiagObject* diag, const xcOCChar& ch, const std::string& label) {
    xcDiagRecord* record = xf_AddImage(diag, ch.image(false), label, false);
    if (record == nullptr) return nullptr;

    std::string text;
    try {
        text += "Name : " + ch.name() + "\n";
    } catch (const xcCharCodeDefs::NotRepresentable&) {
        // A name without an 8-bit form is simply not shown.
    }
    text += xf_OCCharKeyText(ch.key());
    text += "Polarity : " + xfStr(static_cast<int>(ch.polarity())) + "\n";
    record->text(text, "Key");

    const xcOCCharMetrics& m = ch.metrics();
    xcGraphicList imageRects, clientRects;
    auto add = [&m](xcOCCharMetrics::RectType type, xcColor::Name color, xcGraphicList& list) {
        if (m.isRectSpecified(type))
            list.push(xcGraphicRect(m.rect(type), xcGraphicProps(color), false));
    };
    add(xcOCCharMetrics::eMarkRectImage, xcColor::eGreen, imageRects);
    add(xcOCCharMetrics::eMarkRect, xcColor::eGreen, clientRects);
    add(xcOCCharMetrics::eCellRectImage, xcColor::eOrange, imageRects);
    add(xcOCCharMetrics::eCellRect, xcColor::eOrange, clientRects);
    if (clientRects.size() > imageRects.size())
        record->graphics(clientRects, xcDisplay::eClientCoords, "rect(s)");
    else
        record->graphics(imageRects, xcDisplay::eImageCoords, "rect(s)");
    return record;
}
