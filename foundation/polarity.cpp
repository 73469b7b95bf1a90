#include "foundation/polarity.h"

void xfConvertPolarity(xoc_charPolarity from, xcOCDefs::Polarity& to) {
    if (!xfIsValidPolarity(static_cast<long>(from))) throw xcOCDefs::BadParams("Illegal polarity");
    to = static_cast<xcOCDefs::Polarity>(from);
}

void xfConvertPolarity(xcOCDefs::Polarity from, xoc_charPolarity& to) {
    if (!xfIsValidPolarity(static_cast<long>(from))) throw xcOCDefs::BadParams("Illegal polarity");
    to = static_cast<xoc_charPolarity>(from);
}
