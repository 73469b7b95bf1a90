#include "oc/extract/char_instance.h"

#include "align/align_result.h"

xc_OCExtractCharInstance::xc_OCExtractCharInstance(const xcAlignResult& result,
                                                   const xcXform<2>& trainClientXform,
                                                   const xcPelRect& trainWindow)
    : score(result.score()), pose(result.pose()) {
    const xcAffineRectangle window(trainWindow.ul(), trainWindow.ur(), trainWindow.ll());
    affRect = window.map(pose * trainClientXform);
}

bool xc_OCExtractCharInstance::orderByScore(const xc_OCExtractCharInstance& a,
                                            const xc_OCExtractCharInstance& b) {
    return !(b.score >= a.score);
}

bool xc_OCExtractCharInstance::isEqual(const xc_OCExtractCharInstance& other,
                                       double tolerance) const {
    const xcAffineRectangle mapped = affRect.map(other.affRect.affRectFromUnitSq().inverse());
    const xcVector<2> centre(0.5, 0.5);
    const xcVector<2> points[5] = {mapped.centre(), mapped.cornerPo(), mapped.cornerPx(),
                                   mapped.cornerPy(), mapped.cornerPopp()};
    for (const xcVector<2>& p : points)
        if ((p - centre).len() <= tolerance) return true;
    return false;
}
