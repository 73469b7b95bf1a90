#include "submodel/detail/cor_model.h"

#include "core/sys/attention.h"
#include "submodel/submodel.h"
#include "submodel/submodel_defs.h"

#include <algorithm>
#include <cmath>

namespace xc_submodel {

void CorModel::rectSums(long i0, long j0, long i1, long j1, long long& n, long long& sx,
                        long long& sx2) const {
    const long stride = w + 1;
    auto rect = [&](const std::vector<long long>& p) {
        return p[j1 * stride + i1] - p[j0 * stride + i1] - p[j1 * stride + i0] +
               p[j0 * stride + i0];
    };
    n = rect(pc);
    sx = rect(pm);
    sx2 = rect(pm2);
}

namespace {

// Model pels resampled or tabulated between two polls of the time limit (a run resamples the
// model at its start pose, so this work counts against the caller's limit).
constexpr long kPollPels = 1L << 15;

// Fills the prefix-sum tables from m, c and m2.
void tabulate(CorModel& model) {
    const long stride = model.w + 1;
    const std::size_t tableSize = static_cast<std::size_t>(stride) * (model.h + 1);
    model.pc.assign(tableSize, 0);
    model.pm.assign(tableSize, 0);
    model.pm2.assign(tableSize, 0);
    model.nCare = 0;
    const long pollRows = std::max(1L, kPollPels / model.w);
    for (long j = 0; j < model.h; ++j) {
        if (j % pollRows == 0) xcAttention::check();
        long long rc = 0, rm = 0, rm2 = 0;
        for (long i = 0; i < model.w; ++i) {
            const std::size_t k = static_cast<std::size_t>(j) * model.w + i;
            rc += model.c[k];
            rm += model.m[k];
            rm2 += model.m2[k];
            const std::size_t at = static_cast<std::size_t>(j + 1) * stride + i + 1;
            const std::size_t above = static_cast<std::size_t>(j) * stride + i + 1;
            model.pc[at] = model.pc[above] + rc;
            model.pm[at] = model.pm[above] + rm;
            model.pm2[at] = model.pm2[above] + rm2;
        }
        model.nCare += rc;
    }
}

} // namespace

CorModel xf_BuildCorModel(const xcSubModel& subModel) {
    const xcPelBuffer_const<unsigned char>& image = subModel.image();
    const xcPelBuffer_const<unsigned char>& mask = subModel.mask();
    CorModel model;
    model.window = image.window();
    model.w = image.width();
    model.h = image.height();
    if (model.w <= 0 || model.h <= 0) throw xc_SubModelDefs::NoCarePels();

    const std::size_t count = static_cast<std::size_t>(model.w) * model.h;
    model.m.resize(count);
    model.c.resize(count);
    model.m2.resize(count);
    for (long j = 0; j < model.h; ++j) {
        const unsigned char* row = image.rowPointer(j);
        const unsigned char* care = mask.isBound() ? mask.rowPointer(j) : nullptr;
        for (long i = 0; i < model.w; ++i) {
            const std::size_t k = static_cast<std::size_t>(j) * model.w + i;
            const bool cared = care == nullptr || care[i] >= 128;
            model.c[k] = cared ? 1 : 0;
            model.m[k] = cared ? row[i] : 0;
            model.m2[k] = static_cast<std::uint16_t>(model.m[k] * model.m[k]);
        }
    }
    tabulate(model);
    if (model.nCare == 0) throw xc_SubModelDefs::NoCarePels();
    return model;
}

CorModel xf_ResampleCorModel(const CorModel& model, const xcXform<2>& toGrid) {
    const xcMatrix<2>& a = toGrid.matrix();
    const double det = a.det();
    if (!(std::isfinite(det) && det != 0.0 && std::isfinite(toGrid.trans().x()) &&
          std::isfinite(toGrid.trans().y())))
        throw xc_SubModelDefs::BadPose();
    const xcXform<2> back = toGrid.inverse();
    double x0 = HUGE_VAL, y0 = HUGE_VAL, x1 = -HUGE_VAL, y1 = -HUGE_VAL;
    for (const xcVector<2>& corner :
         {model.window.ul(), model.window.ur(), model.window.ll(), model.window.lr()}) {
        const xcVector<2> p = toGrid.mapPoint(corner);
        x0 = std::min(x0, p.x());
        y0 = std::min(y0, p.y());
        x1 = std::max(x1, p.x());
        y1 = std::max(y1, p.y());
    }
    // Grid pels whose centres lie inside the mapped window's bounding box.
    const double limit = 1099511627776.0; // 2^40
    if (!(x0 > -limit && y0 > -limit && x1 < limit && y1 < limit)) throw xc_SubModelDefs::BadPose();
    const long gx0 = static_cast<long>(std::floor(x0 + 0.5)),
               gy0 = static_cast<long>(std::floor(y0 + 0.5));
    const long gx1 = static_cast<long>(std::ceil(x1 - 0.5)),
               gy1 = static_cast<long>(std::ceil(y1 - 0.5));
    if (gx1 <= gx0 || gy1 <= gy0 || double(gx1 - gx0) * double(gy1 - gy0) > 16777216.0)
        throw xc_SubModelDefs::BadPose();

    CorModel out;
    out.window = xcPelRect(gx0, gy0, gx1 - gx0, gy1 - gy0);
    out.w = out.window.width();
    out.h = out.window.height();
    const std::size_t count = static_cast<std::size_t>(out.w) * out.h;
    out.m.assign(count, 0);
    out.c.assign(count, 0);
    out.m2.assign(count, 0);
    const long pollRows = std::max(1L, kPollPels / out.w);
    for (long j = 0; j < out.h; ++j) {
        if (j % pollRows == 0) xcAttention::check();
        for (long i = 0; i < out.w; ++i) {
            // The model pel centres around the mapped-back grid pel centre, window-relative.
            const xcVector<2> q = back.mapPoint(xcVector<2>(gx0 + i + 0.5, gy0 + j + 0.5));
            const double fx = q.x() - 0.5 - double(model.window.x());
            const double fy = q.y() - 0.5 - double(model.window.y());
            // Samples within half a pel of the window's edge read the edge pels.
            if (!(fx >= -0.5 && fy >= -0.5 && fx < double(model.w) - 0.5 &&
                  fy < double(model.h) - 0.5))
                continue;
            const double cx = std::clamp(fx, 0.0, double(model.w - 1));
            const double cy = std::clamp(fy, 0.0, double(model.h - 1));
            const long ix = static_cast<long>(cx), iy = static_cast<long>(cy);
            const long ix1 = std::min(ix + 1, model.w - 1), iy1 = std::min(iy + 1, model.h - 1);
            const std::size_t k00 = static_cast<std::size_t>(iy) * model.w + ix;
            const std::size_t k10 = static_cast<std::size_t>(iy) * model.w + ix1;
            const std::size_t k01 = static_cast<std::size_t>(iy1) * model.w + ix;
            const std::size_t k11 = static_cast<std::size_t>(iy1) * model.w + ix1;
            if (!(model.c[k00] && model.c[k10] && model.c[k01] && model.c[k11])) continue;
            const double tx = cx - double(ix), ty = cy - double(iy);
            const double top = model.m[k00] + tx * (model.m[k10] - model.m[k00]);
            const double bottom = model.m[k01] + tx * (model.m[k11] - model.m[k01]);
            const long v = std::lround(top + ty * (bottom - top));
            const std::size_t k = static_cast<std::size_t>(j) * out.w + i;
            out.m[k] = static_cast<std::uint8_t>(std::clamp(v, 0L, 255L));
            out.c[k] = 1;
            out.m2[k] = static_cast<std::uint16_t>(out.m[k] * out.m[k]);
        }
    }
    tabulate(out);
    if (out.nCare == 0) throw xc_SubModelDefs::BadPose();
    return out;
}

} // namespace xc_submodel
