#include "oc/oc/detail/compile_row.h"

#include "core/base/exception.h"
#include "core/geom/affine_rect.h"
#include "core/image/affine_sampling.h"
#include "core/image/pel_ops.h"
#include "core/sys/timeout.h"
#include "diag/diag_object.h"
#include "foundation/oc_defs.h"
#include "oc/imageutil/affine_clip.h"
#include "oc/imageutil/blankness.h"
#include "submodel/submodel_tool.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>

namespace oc_detail {
namespace {

using ConstImage = xcPelBuffer_const<unsigned char>;
using Image = xcPelBuffer<unsigned char>;

std::atomic<long> gWorkers{1};

// The job's parts are present and sized for its characters, and its row is one of them.
bool isRunnable(const CompileJob& job) {
    if (job.characters == nullptr || job.matrix == nullptr || job.offsets == nullptr) return false;
    const long n = static_cast<long>(job.characters->size());
    if (job.row < 0 || job.row >= n) return false;
    if (job.matrix->rows() < n || job.matrix->cols() < n) return false;
    const Offsets& offsets = *job.offsets;
    if (static_cast<long>(offsets.size()) != n) return false;
    return static_cast<long>(offsets[static_cast<std::size_t>(job.row)].size()) == n;
}

// A copy of `buffer` windowed to `area` (an unbound buffer stays unbound).
ConstImage windowed(const ConstImage& buffer, const xcPelRect& area) {
    ConstImage copy = buffer;
    if (copy.isBound()) copy.window(area);
    return copy;
}

void blankRow(const CompileJob& job) {
    const xcOCAlphabet::Models& chars = *job.characters;
    const long r = job.row;
    const xcOCModel& blank = *chars[static_cast<std::size_t>(r)];
    xcNMMatrix& matrix = *job.matrix;
    matrix(r, r) = 1.0;

    std::vector<long> normals;
    std::vector<double> scores;
    for (long j = 0; j < static_cast<long>(chars.size()); ++j) {
        if (j == r) continue;
        const xcOCModel& other = *chars[static_cast<std::size_t>(j)];
        if (other.charType() == xcOCModel::eBlank) {
            matrix(r, j) = 0.0;
            continue;
        }
        // The blank's image is unbound: only its client-from-image transform places its area.
        const double s = xfScoreBlankness(other.image(), other.mask(), xcXform<2>(), blank.image(),
                                          blank.imageArea(), blank.mask());
        matrix(r, j) = s;
        normals.push_back(j);
        scores.push_back(s);
    }
    if (scores.empty()) return;

    const xcVector<2> stats = blankRowScores(scores);
    for (std::size_t k = 0; k < normals.size(); ++k) matrix(r, normals[k]) = scores[k];
    // The blank row has no poses to keep; its first offset carries the two statistics.
    (*job.offsets)[static_cast<std::size_t>(r)][0] = xcXform<2>(xcMatrix<2>(), stats);
}

// The sub-model tool trained once on the row character's image area.
struct RowModel {
    ConstImage image;
    xc_SubModelTool tool;
    xcDiagObject recorder;
};

void measurePair(const CompileJob& job, RowModel& row, long j) {
    const xcOCModel& rowChar = *(*job.characters)[static_cast<std::size_t>(job.row)];
    const xcOCModel& other = *(*job.characters)[static_cast<std::size_t>(j)];

    // The search range: how far the row character's area reaches in the other's pels.
    const xcRect range = rowChar.encloseRect(
        xcXform<2>(), xcXform<2>(), other.image().clientFromImage(), 0.0, xcRadian(0.0), 0.0);

    Image target, targetMask;
    xfPelCopy(windowed(other.image(), other.imageArea()), target);
    if (other.mask().isBound()) xfPelCopy(windowed(other.mask(), other.imageArea()), targetMask);
    if (row.image.imageFromClient().matrix() != target.imageFromClient().matrix())
        resampleIntoRowGeometry((target.imageFromClient() * row.image.clientFromImage()).matrix(),
                                target, targetMask);

    // The row model may hang over the target's border by half its (even) size.
    const long w = row.image.width() + row.image.width() % 2;
    const long h = row.image.height() + row.image.height() % 2;
    xcSubModelCorRunParams params;
    params.acceptThreshold(0.0);
    params.zoneEnable(0);
    params.partialMatch(xcPelRect(-w / 2, -h / 2, w, h));
    params.xyUncertainty(xcVector<2>(range.width(), range.height()));

    const xcXformHandle start = std::make_shared<xc2XformLinear>();
    std::vector<xcVector<2>> points;
    xc_SubModelResultSet results;
    try {
        if (targetMask.isBound())
            row.tool.run(target, targetMask, *start, params, points, results, &row.recorder, 0);
        else
            row.tool.run(target, *start, params, points, results, &row.recorder, 0);
    } catch (const xcTimeout::Expired&) {
        throw;
    } catch (const xcException&) {
        // The tool could not measure this pair: it keeps score 0 and no offset.
        return;
    }
    if (results.numFound() <= 0) return;
    const xcSubModelResult& best = results.results().front();
    (*job.matrix)(job.row, j) = best.score();
    (*job.offsets)[static_cast<std::size_t>(job.row)][static_cast<std::size_t>(j)] =
        best.pose()->linearXform(xcVector<2>(0.0, 0.0));
}

void normalRow(const CompileJob& job) {
    const xcOCAlphabet::Models& chars = *job.characters;
    const xcOCModel& rowChar = *chars[static_cast<std::size_t>(job.row)];
    RowModel row;
    row.image = windowed(rowChar.image(), rowChar.imageArea());
    const ConstImage mask = windowed(rowChar.mask(), rowChar.imageArea());
    const xcSubModel subModel =
        mask.isBound() ? xcSubModel(row.image, mask, "") : xcSubModel(row.image, "");
    xcSubModelCorTrainParams trainParams;
    trainParams.coarseGrainLimit(1.0);
    trainParams.zoneAllowed(0);
    row.tool.train(subModel, trainParams, &row.recorder, 0);

    for (long j = 0; j < static_cast<long>(chars.size()); ++j) {
        if (j == job.row) continue;
        // A blank column keeps 0 and the identity: a blank has no image to search.
        if (chars[static_cast<std::size_t>(j)]->charType() == xcOCModel::eBlank) continue;
        measurePair(job, row, j);
    }
}

} // namespace

void resampleIntoRowGeometry(const xcMatrix<2>& rowToJ, xcPelBuffer<unsigned char>& target,
                             xcPelBuffer<unsigned char>& targetMask) {
    if (!targetMask.isBound()) {
        targetMask = Image(target.window());
        xfPelSet(targetMask, 255);
    }
    const xcPelRect& w = target.window();
    const xcVector<2> centre(double(w.x() + w.right()) / 2.0, double(w.y() + w.bottom()) / 2.0);

    // The window turned into the row image's axes, and the box that encloses it.
    const xcXform<2> turn(xcMatrix<2>(rowToJ.xRot(), rowToJ.yRot(), 1.0, 1.0), xcVector<2>());
    const xcPelRect box = xcAffineRectangle(xcVector<2>(), double(w.width()), double(w.height()),
                                            xcRadian(0.0), xcRadian(0.0))
                              .map(turn)
                              .encloseImageRect(xcXform<2>());
    xcAffineRectangle rect = xcAffineRectangle(xcVector<2>(), double(box.width()),
                                               double(box.height()), xcRadian(0.0), xcRadian(0.0))
                                 .map(turn);
    rect.centre(centre);

    // Whole numbers of row-image pels along each side.
    const double sx = rect.xLength() / rowToJ.xScale(), sy = rect.yLength() / rowToJ.yScale();
    if (!(sx >= 0.5 && sx < 32767.5 && sy >= 0.5 && sy < 32767.5))
        throw xcOCDefs::BadParams("The scales of two characters differ too much to compare them.");
    const short nx = static_cast<short>(std::lround(sx)), ny = static_cast<short>(std::lround(sy));
    rect.xLength(rect.xLength() * nx / sx);
    rect.yLength(rect.yLength() * ny / sy);
    rect.xRotation(rowToJ.xRot());
    rect.skew(rowToJ.yRot() - rowToJ.xRot());
    rect = rect.map(target.clientFromImage());

    const xcAffineSamplingParams params(rect, nx, ny, xcAffineSamplingParams::Interpolation(3));
    Image sample, sampleMask;
    xfAffineTransformWithClipping(target, targetMask, params, sample, sampleMask);
    unsigned char table[256];
    for (int i = 0; i < 256; ++i) table[i] = i < 128 ? 0 : 255;
    Image mask;
    xfPelMap(sampleMask, table, mask);
    target = sample;
    targetMask = mask;
}

void compileRow(const CompileJob& job) {
    if (!isRunnable(job)) return;
    const long n = static_cast<long>(job.characters->size());
    std::vector<xcXform<2>>& offsets = (*job.offsets)[static_cast<std::size_t>(job.row)];
    for (long j = 0; j < n; ++j) {
        (*job.matrix)(job.row, j) = j == job.row ? 1.0 : 0.0;
        offsets[static_cast<std::size_t>(j)] = xcXform<2>();
    }
    if ((*job.characters)[static_cast<std::size_t>(job.row)]->charType() == xcOCModel::eBlank)
        blankRow(job);
    else
        normalRow(job);
}

unsigned long compileRowEntry(void* arg) {
    if (arg != nullptr) compileRow(*static_cast<const CompileJob*>(arg));
    return 0;
}

xcVector<2> blankRowScores(std::vector<double>& scores) {
    std::vector<double> sorted(scores);
    std::sort(sorted.begin(), sorted.end());
    // The flattest quarter, at least one.
    const std::size_t k = (sorted.size() + 3) / 4;
    double sum = 0.0;
    for (std::size_t i = 0; i < k; ++i) sum += sorted[i];
    const double m = sum / double(k);
    for (double& s : scores) s = s < m && m != 0.0 ? 1.0 - s / m : 0.0;
    const double d = m != 0.0 ? 1.0 - sorted.front() / m : 0.0;
    return xcVector<2>(m, d);
}

long compileWorkers() {
    return gWorkers.load();
}

void compileWorkers(long count) {
    if (count < 1) throw xcOCDefs::BadParams("The worker count must be at least 1.");
    gWorkers.store(count);
}

} // namespace oc_detail
