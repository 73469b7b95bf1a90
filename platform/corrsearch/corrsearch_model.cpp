#include "corrsearch/corrsearch_model.h"

#include "corrsearch/corrsearch_defs.h"
#include "corrsearch/detail/search.h"

#include <algorithm>
#include <cmath>

namespace {

// Bounds that keep every buffer of a run, and the exact integer sums, within limits.
constexpr long kMinModelSide = 3;
constexpr long kMaxPels = 4194304;

// The image's client transform, taken at the window's centre, is finite both ways: an infinite
// or NaN entry would place every find at an infinite or undefined client position.
bool hasFiniteClient(const xcPelBuffer_const<unsigned char>& image) {
    const xcVector<2> centre = image.window().center();
    for (const xcXformHandle& x : {image.clientFromImageXform(), image.imageFromClientXform()}) {
        const xcXform<2> l = x->linearXform(centre);
        const xcMatrix<2>& m = l.matrix();
        for (double v : {m.a(), m.b(), m.c(), m.d(), l.trans().x(), l.trans().y()})
            if (!std::isfinite(v)) return false;
    }
    return true;
}

} // namespace

xcCorrSearchModel::xcCorrSearchModel() = default;
xcCorrSearchModel::~xcCorrSearchModel() = default;
xcCorrSearchModel::xcCorrSearchModel(const xcCorrSearchModel&) = default;
xcCorrSearchModel& xcCorrSearchModel::operator=(const xcCorrSearchModel&) = default;

long xcCorrSearchModel::width() const {
    return model_ ? model_->width : 0;
}

long xcCorrSearchModel::height() const {
    return model_ ? model_->height : 0;
}

void xcCorrSearchModel::train(const xcPelBuffer_const<unsigned char>& image,
                              const xcCorrSearchTrainParams& params, xcDiagObject*, unsigned long) {
    if (!image.isBound()) throw xcCorrSearchDefs::BadImage("The training image is unbound");
    const long w = image.width(), h = image.height();
    if (w < kMinModelSide || h < kMinModelSide)
        throw xcCorrSearchDefs::BadImage("The training image must be at least 3 x 3 pels");
    if (w * h > kMaxPels)
        throw xcCorrSearchDefs::BadImage("The training image must not exceed 4194304 pels");
    if (!hasFiniteClient(image))
        throw xcCorrSearchDefs::BadImage("The training image's client transform is not finite");
    const xcPelPoint off = image.offset();
    // The client origin in pel coordinates relative to the window's first pel, so that a find
    // can place it in the searched image's pels.
    const xcVector<2> origin = image.imageFromClientXform()->mapPoint(xcVector<2>(0.0, 0.0)) -
                               xcVector<2>(double(off.x()), double(off.y()));
    auto m = xc_corrsearch::buildModel(image.pointToPel(0, 0), image.rowUpdate(), w, h, origin);
    if (!m)
        throw xcCorrSearchDefs::FlatModel(
            "The training image is flat: all its pels have one grey value");
    model_ = std::move(m);
    trainParams_ = params;
}

std::vector<xcCorrSearchResult>
xcCorrSearchModel::run(const xcPelBuffer_const<unsigned char>& image,
                       const xcCorrSearchRunParams& params, const xcPelRect&, xcDiagObject*,
                       unsigned long) const {
    if (!model_) throw xcCorrSearchDefs::NotTrained("The correlation model is not trained");
    if ((params.algorithm() & trainParams_.algorithms()) == 0)
        throw xcCorrSearchDefs::BadParams("The model was not trained for the run's algorithm");
    if (!image.isBound()) throw xcCorrSearchDefs::BadImage("The image to search is unbound");
    const long w = image.width(), h = image.height();
    if (w * h > kMaxPels)
        throw xcCorrSearchDefs::BadImage("The image to search must not exceed 4194304 pels");
    if (w < model_->width || h < model_->height)
        throw xcCorrSearchDefs::BadImage("The image to search is smaller than the model");
    if (!hasFiniteClient(image))
        throw xcCorrSearchDefs::BadImage(
            "The client transform of the image to search is not finite");

    xc_corrsearch::SearchSettings settings;
    settings.coarseToFine = params.algorithm() == xcCorrSearchDefs::eNormalizedCorrelation;
    settings.accuracy = std::min(params.accuracy(), trainParams_.accuracy());
    settings.accept = params.accept();
    settings.xyOverlap = params.xyOverlap();
    settings.maxResults = params.maxNumResults();
    const std::vector<xc_corrsearch::Peak> peaks =
        xc_corrsearch::search(*model_, image.pointToPel(0, 0), image.rowUpdate(), w, h, settings);

    const xcPelPoint off = image.offset();
    const xcXformHandle clientFromImage = image.clientFromImageXform();
    std::vector<xcCorrSearchResult> results;
    results.reserve(peaks.size());
    for (const auto& p : peaks) {
        const xcVector<2> pel(double(off.x()) + p.fx + model_->origin.x(),
                              double(off.y()) + p.fy + model_->origin.y());
        results.emplace_back(true, p.score, clientFromImage->mapPoint(pel));
    }
    return results;
}
