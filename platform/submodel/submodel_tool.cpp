#include "submodel/submodel_tool.h"

#include "submodel/detail/cor_model.h"
#include "submodel/detail/cor_search.h"
#include "submodel/submodel_defs.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace xc_submodel {

struct Trained {
    xcSubModel subModel;
    xcSubModelCorTrainParams params;
    CorModel model;
};

} // namespace xc_submodel

namespace {

using xc_submodel::CorModel;

// Coordinates beyond this many pels are refused, so every later sum stays exact in a long.
constexpr double kMaxCoord = 1099511627776.0; // 2^40
// How far (in pels) the model's corners may leave a pure translation of its pel grid before the
// model is resampled rather than moved as it is.
constexpr double kGridTolerance = 0.5 + 1e-9;

bool finite(const xcVector<2>& v) {
    return std::isfinite(v.x()) && std::isfinite(v.y());
}

bool finite(const xcXform<2>& x) {
    const xcMatrix<2>& m = x.matrix();
    return std::isfinite(m.a()) && std::isfinite(m.b()) && std::isfinite(m.c()) &&
           std::isfinite(m.d()) && finite(x.trans());
}

// Where the start pose lays the model on the run image's pel grid.
struct StartPlacement {
    xcXform<2> pose;         // the start pose (its linear form at the model's centre)
    xcXform<2> modelToImage; // model pels to run-image pels
    xcVector<2> shift;       // run-image pel minus model pel at the model's centre, not rounded
    xcVector<2> origin;      // where the model's client origin falls, in run-image pels
    bool onGrid = true;      // modelToImage moves the model's pels as a whole
};

StartPlacement startPlacement(const xcSubModel& subModel,
                              const xcPelBuffer_const<unsigned char>& image,
                              const xc2XformBase& startPose) {
    const xcPelRect& window = subModel.image().window();
    const xcVector<2> centre = window.center();
    const xcXform<2> modelClient = subModel.image().clientFromImageXform()->linearXform(centre);
    const xcVector<2> centreClient = modelClient.mapPoint(centre);
    StartPlacement s;
    s.pose = startPose.linearXform(centreClient);
    const xcXformHandle imageFromClient = image.imageFromClientXform();
    const xcXform<2> toImage = imageFromClient->linearXform(s.pose.mapPoint(centreClient));
    // Model pels to run-image pels; only used to find and check the placement, never for the
    // reported pose.
    s.modelToImage = toImage * s.pose * modelClient;
    const xcXform<2>& a = s.modelToImage;
    if (!finite(a) || !finite(s.pose)) throw xc_SubModelDefs::BadPose();
    s.shift = a.mapPoint(centre) - centre;
    s.origin = imageFromClient->mapPoint(s.pose.trans());
    if (!finite(s.shift) || !finite(s.origin) || std::fabs(s.shift.x()) > kMaxCoord ||
        std::fabs(s.shift.y()) > kMaxCoord)
        throw xc_SubModelDefs::BadPose();
    for (const xcVector<2>& corner : {window.ul(), window.ur(), window.ll(), window.lr()}) {
        const xcVector<2> arm = corner - centre;
        const xcVector<2> off = a.mapVector(arm) - arm;
        if (!(std::fabs(off.x()) <= kGridTolerance && std::fabs(off.y()) <= kGridTolerance))
            s.onGrid = false;
    }
    return s;
}

// The placements along one axis, as positions u of the model's first pel relative to the image
// window's first pel: whole-pel shifts k of the model with |k - shift| <= extent / 2 (the
// nearest one when none is that close), u = modelStart + k - imageStart, limited by the
// partial-match range and by u touching the image at all. False when none is left.
bool axisRange(double shift, double extent, long modelStart, long imageStart, long imageSize,
               long modelSize, long pmLow, long pmSize, long& lo, long& hi) {
    double a = std::ceil(shift - 0.5 * extent - 1e-9), b = std::floor(shift + 0.5 * extent + 1e-9);
    if (a > b) a = b = std::round(shift);
    a = std::max(a, -4.0 * kMaxCoord);
    b = std::min(b, 4.0 * kMaxCoord);
    const long base = modelStart - imageStart;
    lo = std::max({base + static_cast<long>(a), pmLow, -(modelSize - 1)});
    hi = std::min(
        {base + static_cast<long>(b), imageSize - modelSize + pmLow + pmSize, imageSize - 1});
    return lo <= hi;
}

} // namespace

xc_SubModelTool::xc_SubModelTool() = default;
xc_SubModelTool::~xc_SubModelTool() = default;
xc_SubModelTool::xc_SubModelTool(const xc_SubModelTool&) = default;
xc_SubModelTool& xc_SubModelTool::operator=(const xc_SubModelTool&) = default;

void xc_SubModelTool::train(const xcSubModel& subModel, const xcSubModelCorTrainParams& params,
                            xcDiagObject*, unsigned long) {
    CorModel model = xc_submodel::xf_BuildCorModel(subModel);
    trained_ = std::make_shared<const xc_submodel::Trained>(
        xc_submodel::Trained{subModel, params, std::move(model)});
}

const xcSubModel& xc_SubModelTool::subModel() const {
    if (!trained_) throw xc_SubModelDefs::NotTrained();
    return trained_->subModel;
}

const xcSubModelCorTrainParams& xc_SubModelTool::trainParams() const {
    if (!trained_) throw xc_SubModelDefs::NotTrained();
    return trained_->params;
}

void xc_SubModelTool::run(const xcPelBuffer_const<unsigned char>& image,
                          const xc2XformBase& startPose, const xcSubModelCorRunParams& params,
                          std::vector<xcVector<2>>&, xc_SubModelResultSet& results, xcDiagObject*,
                          unsigned long) const {
    run_(image, nullptr, startPose, params, results);
}

void xc_SubModelTool::run(const xcPelBuffer_const<unsigned char>& image,
                          const xcPelBuffer_const<unsigned char>& mask,
                          const xc2XformBase& startPose, const xcSubModelCorRunParams& params,
                          std::vector<xcVector<2>>&, xc_SubModelResultSet& results, xcDiagObject*,
                          unsigned long) const {
    if (!trained_) throw xc_SubModelDefs::NotTrained();
    if (!image.isBound() || !mask.isBound()) throw xc_SubModelDefs::UnboundImage();
    if (mask.width() != image.width() || mask.height() != image.height())
        throw xc_SubModelDefs::MaskMismatch();
    run_(image, &mask, startPose, params, results);
}

void xc_SubModelTool::run_(const xcPelBuffer_const<unsigned char>& image,
                           const xcPelBuffer_const<unsigned char>* mask,
                           const xc2XformBase& startPose, const xcSubModelCorRunParams& params,
                           xc_SubModelResultSet& results) const {
    if (!trained_) throw xc_SubModelDefs::NotTrained();
    if (!image.isBound()) throw xc_SubModelDefs::UnboundImage();
    const StartPlacement start = startPlacement(trained_->subModel, image, startPose);
    // Off the grid, the model is resampled onto the image's pel grid at the start placement, so
    // that placement becomes a shift of 0.
    CorModel resampled;
    if (!start.onGrid)
        resampled = xc_submodel::xf_ResampleCorModel(trained_->model, start.modelToImage);
    const CorModel& model = start.onGrid ? trained_->model : resampled;
    const xcVector<2> shift = start.onGrid ? start.shift : xcVector<2>();

    const xcPelRect& iw = image.window();
    const xcPelRect& pm = params.partialMatch();
    xc_submodel::SearchRange range;
    const bool any = axisRange(shift.x(), params.xyUncertainty().x(), model.window.x(), iw.x(),
                               iw.width(), model.w, pm.x(), pm.width(), range.u0, range.u1) &&
                     axisRange(shift.y(), params.xyUncertainty().y(), model.window.y(), iw.y(),
                               iw.height(), model.h, pm.y(), pm.height(), range.v0, range.v1);
    std::vector<xc_submodel::Peak> peaks;
    if (any) peaks = xc_submodel::xf_SearchCor(model, image, mask, range, kMaxResults);

    // A peak at u lies k = u - modelStart + imageStart whole pels from the model's own grid,
    // d = k + fraction - shift pels from the start placement.
    const xcXformHandle clientFromImage = image.clientFromImageXform();
    std::vector<xcSubModelResult> found;
    long numFound = 0;
    for (const xc_submodel::Peak& p : peaks) {
        const double score = std::clamp(p.r, 0.0, 1.0);
        if (score < params.acceptThreshold() && !found.empty()) break;
        const xcVector<2> d(double(p.u - model.window.x() + iw.x()) + p.du - shift.x(),
                            double(p.v - model.window.y() + iw.y()) + p.dv - shift.y());
        const xcXform<2> pose(start.pose.matrix(), clientFromImage->mapPoint(start.origin + d));
        found.emplace_back(score, std::make_shared<const xc2XformLinear>(pose));
        if (score >= params.acceptThreshold())
            ++numFound;
        else
            break;
    }
    results.assign(std::move(found), numFound);
}
