// Compilation of an alphabet: the confusion matrix and offsets, row by row on worker threads.
#include "core/sys/attention.h"
#include "core/sys/thread.h"
#include "diag/diag_object.h"
#include "oc/oc/alphabet.h"
#include "oc/oc/alphabet_diag.h"
#include "oc/oc/detail/compile_row.h"

#include <algorithm>
#include <exception>
#include <vector>

namespace {

constexpr unsigned long kInputFlag = 0x10000;
constexpr unsigned long kDetailsFlag = 0x40000;
constexpr unsigned long kResultsFlag = 0x20000;

// Starts one thread per job and joins every thread that started, in creation order, before
// handing on the first failure: the jobs live on this frame, so no thread may outlive it.
void runBatch(std::vector<oc_detail::CompileJob>& jobs) {
    std::vector<xcThreadID> threads;
    threads.reserve(jobs.size());
    std::exception_ptr failure;
    for (oc_detail::CompileJob& job : jobs) {
        try {
            threads.push_back(xfCreateThread(&oc_detail::compileRowEntry, &job, -1, -1));
        } catch (...) {
            failure = std::current_exception();
            break;
        }
    }
    for (xcThreadID id : threads) {
        try {
            xfWaitForThreadTermination(id);
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    }
    if (failure) std::rethrow_exception(failure);
}

void recordOutcome(xcDiagObject* diag, unsigned long flags, const xcOCAlphabet* alphabet) {
    if (diag == nullptr) return;
    if (xcDiagObject::shouldRecord(flags, kDetailsFlag))
        diag->newDiagRecord()->recordAnnotation("Alphabet Compilation Details");
    if (xcDiagObject::shouldRecord(flags, kResultsFlag))
        xf_AddAlphabet(diag, alphabet, "Alphabet Compilation Results", false);
}

} // namespace

void xcOCAlphabet::compile(xcDiagObject* diag, unsigned long flags) {
    if (diag != nullptr && xcDiagObject::shouldRecord(flags, kInputFlag))
        xf_AddAlphabet(diag, this, "Alphabet Compilation Input", true);
    if (isCompiled_) {
        recordOutcome(diag, flags, this);
        return;
    }

    mutating();
    const long n = numChars();
    matrix_ = xcNMMatrix(std::max(1L, n), std::max(1L, n));
    offsets_.resize(static_cast<std::size_t>(n));
    for (std::vector<xcXform<2>>& row : offsets_) row.resize(static_cast<std::size_t>(n));

    // Each worker writes only its own row, so the rows of a batch need no locks.
    const long workers = oc_detail::compileWorkers();
    for (long start = 0; start < n; start += workers) {
        const long count = std::min(n - start, workers);
        std::vector<oc_detail::CompileJob> jobs(static_cast<std::size_t>(count));
        for (long k = 0; k < count; ++k)
            jobs[static_cast<std::size_t>(k)] = {&characters_, start + k, &matrix_, &offsets_};
        runBatch(jobs);
        xcAttention::check();
    }
    isCompiled_ = true;
    recordOutcome(diag, flags, this);
}

void xcOCAlphabet::compileRow_(long row) {
    oc_detail::compileRow({&characters_, row, &matrix_, &offsets_});
}
