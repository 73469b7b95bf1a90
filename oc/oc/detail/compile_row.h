// One row of an alphabet's compilation: the job a worker thread receives and what it computes.
#pragma once

#include "core/geom/nmmatrix.h"
#include "core/geom/xform.h"
#include "core/image/pel_buffer.h"
#include "foundation/export.h"
#include "oc/oc/alphabet.h"

#include <vector>

namespace oc_detail {

using Offsets = std::vector<std::vector<xcXform<2>>>;

// What one worker reads and writes. The characters, the matrix and the offsets are shared by all
// workers of a compilation; each worker writes only row `row` of the matrix and offsets[row],
// which were sized before it started.
struct CompileJob {
    const xcOCAlphabet::Models* characters = nullptr;
    long row = -1;
    xcNMMatrix* matrix = nullptr;
    Offsets* offsets = nullptr;
};

// Computes the job's row: 1.0 on the diagonal, then the blank row or the normal row. A job with
// a missing part, a row outside the characters or a matrix or offsets not sized for them writes
// nothing.
void compileRow(const CompileJob& job);

// Thread entry: arg is a CompileJob. Exceptions leave it for the thread facility to hand on.
unsigned long compileRowEntry(void* arg);

// The blank row's scores from the blankness scores s of the other normal characters: with m the
// mean of the smallest ceil(count / 4) of them, score = 1 - s / m where s < m and m != 0, else
// 0. `scores` is replaced by the row's scores; returns (m, d) with d = 1 - min(s) / m (0 when
// m = 0). Needs at least one score.
OC_API xcVector<2> blankRowScores(std::vector<double>& scores);

// Resamples a target image (and its mask, made all-caring when unbound) into the pel geometry of
// a row image whose pels map to the target's by the linear map `rowToTarget`, keeping the
// target's client coordinates; the new mask is 255 where the pels came from the target and 0
// where they fell outside it. Throws xcOCDefs::BadParams when the scales differ too much.
OC_API void resampleIntoRowGeometry(const xcMatrix<2>& rowToTarget,
                                    xcPelBuffer<unsigned char>& target,
                                    xcPelBuffer<unsigned char>& targetMask);

// The number of rows compiled at once, each on its own thread: 1 unless a test raises it.
OC_API long compileWorkers();
// Values below 1 throw xcOCDefs::BadParams.
OC_API void compileWorkers(long count);

} // namespace oc_detail
