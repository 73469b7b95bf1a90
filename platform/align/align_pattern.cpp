#include "align/align_pattern.h"

#include "align/align_defs.h"
#include "align/detail/image_cache.h"
#include "align/detail/model.h"
#include "align/detail/search.h"
#include "core/sys/attention.h"

#include <cmath>
#include <new>
#include <numbers>

namespace {

// Runs larger than this many pels are refused rather than allowed to allocate without bound
// (the derived data take about 20 bytes a pel).
constexpr long kMaxRunPels = 1L << 24;

xc_align::GreyView viewOf(const xcPelBuffer_const<unsigned char>& b) {
    return xc_align::GreyView{b.rowPointer(0), b.rowUpdate(), b.width(), b.height()};
}

xc_align::Mat2 toMat2(const xcMatrix<2>& m) {
    return xc_align::Mat2{m.a(), m.b(), m.c(), m.d()};
}

bool finite(const xcXform<2>& x) {
    const xcMatrix<2>& m = x.matrix();
    return std::isfinite(m.a()) && std::isfinite(m.b()) && std::isfinite(m.c()) &&
           std::isfinite(m.d()) && std::isfinite(x.trans().x()) && std::isfinite(x.trans().y());
}

double toRadians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

} // namespace

xcAlignPattern::xcAlignPattern() = default;
xcAlignPattern::~xcAlignPattern() = default;
xcAlignPattern::xcAlignPattern(const xcAlignPattern&) = default;
xcAlignPattern& xcAlignPattern::operator=(const xcAlignPattern&) = default;

void xcAlignPattern::grainLimits(float fine, float coarse) {
    if (!(fine >= 1.0f && coarse >= fine && coarse <= 16.0f))
        throw xc_AlignDefs::BadParams("grain limits must satisfy 1 <= fine <= coarse <= 16");
    grainFine_ = fine;
    grainCoarse_ = coarse;
}

void xcAlignPattern::train(const xcPelBuffer_const<unsigned char>& image, long dofMask,
                           xcDiagObject*, unsigned long) {
    if (!image.isBound()) throw xc_AlignDefs::BadParams("train image is not bound");
    if (dofMask < 0 || (dofMask & ~3L) != 0)
        throw xc_AlignDefs::BadParams("dofMask may hold only the bits 1 (angle) and 2 (scale)");
    const xcPelRect w = image.window();
    const xcXform<2> cfi = image.clientFromImageXform()->linearXform(xcVector<2>(0, 0));
    if (!finite(cfi) || !(std::fabs(cfi.det()) > 0) || !std::isfinite(1.0 / cfi.det()))
        throw xc_AlignDefs::BadParams("client transform is not finite and invertible");
    xc_align::TrainLimits limits;
    limits.automatic = autoGrain_;
    limits.maxLevel = int(std::floor(std::log2(double(grainCoarse_)) + 1e-9));
    auto model = std::make_shared<const xc_align::Model>(
        xc_align::trainModel(viewOf(image), double(w.x()), double(w.y()), limits));

    // The pattern keeps its own copy of the pels, at the same image coordinates and with the
    // same transforms, so later changes to the caller's image do not reach it.
    xcPelBuffer<unsigned char> copy(w);
    for (long y = 0; y < w.height(); ++y) {
        const unsigned char* s = image.rowPointer(y);
        std::copy(s, s + w.width(), copy.rowPointer(y));
    }
    copy.copyTransforms(image);

    model_ = std::move(model);
    trainImage_ = xcPelBuffer_const<unsigned char>(copy);
    dofMask_ = dofMask;
}

const xcPelBuffer_const<unsigned char>& xcAlignPattern::trainImage() const {
    if (!model_) throw xc_AlignDefs::BadParams("pattern is not trained");
    return trainImage_;
}

xcXformHandle xcAlignPattern::trainClientFromImage() const {
    if (!model_) throw xc_AlignDefs::BadParams("pattern is not trained");
    return trainImage_.clientFromImageXform();
}

void xcAlignPattern::run(const xcPelBuffer_const<unsigned char>& image,
                         const xcAlignRunParams& params, xcAlignResultSet& results, xcDiagObject*,
                         unsigned long) const {
    run_(image, nullptr, params, results);
}

void xcAlignPattern::run(const xcPelBuffer_const<unsigned char>& image,
                         const xcPelBuffer_const<unsigned char>& mask,
                         const xcAlignRunParams& params, xcAlignResultSet& results, xcDiagObject*,
                         unsigned long) const {
    run_(image, &mask, params, results);
}

void xcAlignPattern::run_(const xcPelBuffer_const<unsigned char>& image,
                          const xcPelBuffer_const<unsigned char>* mask,
                          const xcAlignRunParams& params, xcAlignResultSet& results) const {
    if (!model_) throw xc_AlignDefs::BadParams("pattern is not trained");
    if (!image.isBound()) throw xc_AlignDefs::BadParams("run image is not bound");
    const xcPelRect win = image.window();
    if (win.width() <= 0 || win.height() <= 0)
        throw xc_AlignDefs::BadParams("run image window is empty");
    if (win.width() * win.height() > kMaxRunPels)
        throw xc_AlignDefs::BadParams("run image is too large: at most 2^24 pels");
    if (mask) {
        if (!mask->isBound()) throw xc_AlignDefs::BadParams("mask is not bound");
        if (mask->width() != win.width() || mask->height() != win.height())
            throw xc_AlignDefs::BadParams("mask and run image differ in size");
    }

    // Zones in client terms; a freedom the run or the training leaves out is held at its
    // nominal value.
    xc_align::RunSettings s;
    s.zones.angleFree = (params.zoneEnable() & xcAlignRunParams::eAngle) && (dofMask_ & 1);
    s.zones.scaleFree = (params.zoneEnable() & xcAlignRunParams::eScale) && (dofMask_ & 2);
    if (s.zones.angleFree) {
        s.zones.angleLow = toRadians(params.zoneLow(xcAlignRunParams::eAngle));
        s.zones.angleHigh = toRadians(params.zoneHigh(xcAlignRunParams::eAngle));
    } else {
        s.zones.angleLow = s.zones.angleHigh = toRadians(params.nominal(xcAlignRunParams::eAngle));
    }
    if (s.zones.scaleFree) {
        s.zones.scaleLow = params.zoneLow(xcAlignRunParams::eScale);
        s.zones.scaleHigh = params.zoneHigh(xcAlignRunParams::eScale);
    } else {
        s.zones.scaleLow = s.zones.scaleHigh = params.nominal(xcAlignRunParams::eScale);
    }
    s.acceptThreshold = params.acceptThreshold();
    s.contrastThreshold = params.contrastThreshold();
    s.xyOverlap = params.xyOverlap();
    s.scoreUsingClutter = params.scoreUsingClutter();
    s.numToFind = params.numToFind();

    // Pel frames: the train image's client transform at its origin (as the callers linearise
    // it) and the run image's at its window centre.
    const xcXform<2> trainCfi = trainImage_.clientFromImageXform()->linearXform(xcVector<2>(0, 0));
    const xcXformHandle runCfiHandle = image.clientFromImageXform();
    const xcXform<2> runCfi = runCfiHandle->linearXform(win.center());
    // A transform with an infinite or undefined entry would place every result nowhere.
    if (!finite(trainCfi) || !finite(runCfi) || !(std::fabs(trainCfi.det()) > 0) ||
        !(std::fabs(runCfi.det()) > 0) || !std::isfinite(1.0 / trainCfi.det()) ||
        !std::isfinite(1.0 / runCfi.det()))
        throw xc_AlignDefs::BadParams("client transform is not finite and invertible");
    results.clear();
    xc_align::Frame frame;
    frame.H = toMat2(trainCfi.matrix());
    frame.G = toMat2(runCfi.matrix()).inverse();

    const xc_align::GreyView view = viewOf(image);
    xc_align::GreyView maskView;
    xc_align::ImageKey key;
    key.imageHash = xc_align::hashPels(view);
    if (mask) {
        maskView = viewOf(*mask);
        key.maskHash = xc_align::hashPels(maskView);
        key.hasMask = true;
    }
    key.width = win.width();
    key.height = win.height();
    key.windowX = win.x();
    key.windowY = win.y();
    const xcMatrix<2>& rm = runCfi.matrix();
    key.xform = {rm.a(), rm.b(), rm.c(), rm.d(), runCfi.trans().x(), runCfi.trans().y()};

    const xc_align::Model& model = *model_;
    const xcXform<2> trainIfc = trainCfi.inverse();
    auto publish = [&](const std::vector<xc_align::Found>& found) {
        std::vector<xcAlignResult> out;
        out.reserve(found.size());
        for (const xc_align::Found& f : found) {
            const xc_align::Mat2 A = frame.A(f.h.theta, f.h.scale);
            const xcMatrix<2> M(A.a, A.b, A.c, A.d);
            const xcVector<2> t(f.h.x + double(win.x()), f.h.y + double(win.y()));
            const xcXform<2> pel(M, t - M * xcVector<2>(model.anchorX, model.anchorY));
            const xcXform<2> pose = runCfiHandle->linearXform(t) * pel * trainIfc;
            out.emplace_back(f.score, pose, f.accepted, f.ev.coverage, f.ev.clutter,
                             f.h.theta * 180.0 / std::numbers::pi, f.h.scale, f.ev.contrast);
        }
        results.assign(std::move(out));
    };
    auto poll = [] { xcAttention::check(); };

    try {
        const std::shared_ptr<const xc_align::RunImage> data =
            xc_align::runImageFor(key, view, mask ? &maskView : nullptr, poll);
        xc_align::runSearch(model, *data, frame, s, publish, poll);
    } catch (const xcException&) {
        throw;
    } catch (const std::bad_alloc&) {
        results.clear();
        throw xc_AlignDefs::InternalError("out of memory during the search");
    } catch (const std::exception& e) {
        results.clear();
        throw xc_AlignDefs::InternalError(std::string("search failed: ") + e.what());
    }
}
