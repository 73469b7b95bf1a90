#include "oc/arrange/arrange.h"

#include "core/image/pel_errors.h"
#include "core/image/pel_ops.h"
#include "diag/diag_object.h"
#include "oc/arrange/arrange_diag.h"
#include "oc/arrange/arrange_eval.h"
#include "oc/arrange/arrange_search.h"
#include "oc/arrange/candidate_search.h"
#include "oc/arrange/detail/arrange_assign.h"
#include "oc/extract/refine.h"

#include <cstddef>

namespace {

using Access = xc_OCArrangeResultsAccess;

constexpr unsigned long kInputFlag = 0x10000;
constexpr unsigned long kOutputFlag = 0x20000;
constexpr unsigned long kIntermediateFlag = 0x40000;

void checkArguments(const xcPelBuffer_const<unsigned char>& image,
                    const xcPelBuffer_const<unsigned char>& mask, const xcOCAlphabet& alphabet,
                    const std::vector<long>& keys) {
    if (!image.isBound()) throw xcPel::UnboundWindow("Pel buffer is unbound");
    if (mask.isBound() &&
        (mask.width() != image.width() || mask.height() != image.height() ||
         mask.offset().x() != image.offset().x() || mask.offset().y() != image.offset().y()))
        throw xcOCArrangeDefs::BadMask();
    for (long key : keys)
        if (!alphabet.hasCharacter(key)) throw xcOCDefs::BadKey("");
}

// The model's image area in client coordinates: its upper-left, upper-right and lower-left
// corners mapped through the model image's client-from-image transform.
std::vector<xc_CharData> makeCharData(const xcOCAlphabet& alphabet, const std::vector<long>& keys) {
    std::vector<xc_CharData> charData(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const xcOCModel& model = *alphabet.character(keys[i]);
        charData[i].isBlank = model.charType() == xcOCModel::eBlank;
        const xcPelRect& area = model.imageArea();
        const xcXformHandle clientFromImage = model.image().clientFromImageXform();
        charData[i].rect(xcAffineRectangle(clientFromImage->mapPoint(area.ul()),
                                           clientFromImage->mapPoint(area.ur()),
                                           clientFromImage->mapPoint(area.ll())));
    }
    return charData;
}

// Whether the image's client frame is a mirror image of its pel grid, judged at its centre.
bool isClientFlipped(const xcPelBuffer_const<unsigned char>& image) {
    const xcVector<2> centre(image.offset().x() + image.width() * 0.5,
                             image.offset().y() + image.height() * 0.5);
    return image.clientFromImageXform()->linearXform(centre).matrix().det() < 0.0;
}

xcPelBuffer<unsigned char> binarize(const xcPelBuffer_const<unsigned char>& mask) {
    xcPelBuffer<unsigned char> binary;
    if (!mask.isBound()) return binary;
    unsigned char table[256];
    for (int v = 0; v < 256; ++v) table[v] = v < 128 ? 0 : 255;
    xfPelMap(mask, table, binary);
    return binary;
}

} // namespace

void xfOCArrange(const xcPelBuffer_const<unsigned char>& image, const xcOCAlphabet& alphabet,
                 const std::vector<long>& keys, const xcOCArrangeParams& params,
                 xcOCArrangeResults& results, xcDiagObject* rec, unsigned long flags) {
    xfOCArrange_(image, xcPelBuffer<unsigned char>(), alphabet, keys, params, results, rec, flags);
}

void xfOCArrange(const xcPelBuffer_const<unsigned char>& image,
                 const xcPelBuffer_const<unsigned char>& mask, const xcOCAlphabet& alphabet,
                 const std::vector<long>& keys, const xcOCArrangeParams& params,
                 xcOCArrangeResults& results, xcDiagObject* rec, unsigned long flags) {
    if (!mask.isBound()) throw xcPel::UnboundWindow("Pel buffer is unbound");
    xfOCArrange_(image, mask, alphabet, keys, params, results, rec, flags);
}

void xfOCArrange_(const xcPelBuffer_const<unsigned char>& image,
                  const xcPelBuffer_const<unsigned char>& mask, const xcOCAlphabet& alphabet,
                  const std::vector<long>& keys, const xcOCArrangeParams& params,
                  xcOCArrangeResults& results, xcDiagObject* rec, unsigned long flags) {
    checkArguments(image, mask, alphabet, keys);
    if (rec != nullptr && xcDiagObject::shouldRecord(flags, kInputFlag))
        xf_RecordArrangeInput_(rec, image, mask, alphabet, keys, params);

    results = xcOCArrangeResults();
    if (keys.empty()) {
        Access::arrangement(results) =
            xcPtrHandle_const<xcOCLineArrangement>(new xcOCLineArrangement());
        Access::isFound(results) = true;
        return;
    }

    const xcPtrHandle_const<xcOCAlphabet> alphabetHandle(new xcOCAlphabet(alphabet));
    std::vector<xc_CharData> charData = makeCharData(*alphabetHandle, keys);

    const bool intermediate = rec != nullptr &&
                              xcDiagObject::shouldRecord(flags, kIntermediateFlag) &&
                              image.clientFromImageXform()->isLinear();
    xcDiagObject* stageRec = intermediate ? rec : nullptr;
    if (intermediate) xf_RecordArrangeIntermediate_(rec, image);

    const xcPelBuffer<unsigned char> binaryMask = binarize(mask);
    std::vector<std::vector<xc_Pose>> poses;
    std::vector<std::vector<double>> scores;
    const bool searchComplete = xf_ArrangeCandidateSearch_(
        image, binaryMask, alphabetHandle, keys, params, charData, poses, scores, stageRec, flags);

    const xc_ArrangeContext ctx{*alphabetHandle,       keys, charData, poses, scores, params,
                                isClientFlipped(image)};
    xc_ArrangePath bestPath;
    const bool arrangementComplete = xf_ArrangeSearch_(ctx, bestPath);
    Access::isSearchTruncated(results) = !(searchComplete && arrangementComplete);

    xc_ArrangeFit fit;
    const bool found = xf_EvaluateArrangePath_(ctx, bestPath, true, fit);

    std::vector<xc_Pose> finalPoses;
    auto& statuses = Access::statusFlags(results);
    auto& charScores = Access::scores(results);
    oc_arrange_detail::assignPoses(ctx, bestPath, fit, found, statuses, charScores, finalPoses);
    // The line tables tell how the arrangement placed each character, before refinement.
    std::vector<xcOCArrangeDefs::CharStatus> assignedStatuses;
    std::vector<xc_Pose> assignedPoses;
    if (intermediate) {
        assignedStatuses = statuses;
        assignedPoses = finalPoses;
    }

    xf_RefineArrangement(image, alphabetHandle, keys, finalPoses, statuses, charScores, stageRec,
                         flags);

    oc_arrange_detail::buildArrangement(ctx, alphabetHandle, bestPath, fit, found, finalPoses,
                                        results);
    Access::isFound(results) = true;

    if (intermediate && found)
        xf_RecordBuildArrangement_(rec, image, ctx, bestPath, fit, found, assignedStatuses,
                                   assignedPoses);
    if (rec != nullptr && xcDiagObject::shouldRecord(flags, kOutputFlag))
        xf_RecordArrangeOutput_(rec, image, alphabet, keys, results);
}
